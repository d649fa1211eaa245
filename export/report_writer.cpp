#include "export/report_writer.h"

#include <ctime>

namespace sormel {

std::optional<ReportKind> reportKindOf(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (extension == ".csv") return ReportKind::Csv;
    if (extension == ".json") return ReportKind::Json;
    if (extension == ".xlsx") return ReportKind::Xlsx;
    if (extension == ".html" || extension == ".htm") return ReportKind::Html;
    return std::nullopt;
}

std::string formatReport(ReportKind kind, const ReportData& data) {
    switch (kind) {
    case ReportKind::Csv:
        return formatReportCsv(data);
    case ReportKind::Json:
        return formatReportJson(data);
    case ReportKind::Xlsx:
        return formatReportXlsx(data);
    case ReportKind::Html:
        return formatReportHtml(data);
    }
    return {};
}

void writeReport(ReportKind kind, const ReportData& data, ByteSink& sink) {
    switch (kind) {
    case ReportKind::Csv:
        return writeReportCsv(data, sink);
    case ReportKind::Json:
        return writeReportJson(data, sink);
    case ReportKind::Xlsx:
        return writeReportXlsx(data, sink);
    case ReportKind::Html:
        return writeReportHtml(data, sink);
    }
}

std::string localDateText(std::time_t time) {
    std::tm local{};
    // localtime is not reentrant; the report is made on one thread.
    if (const std::tm* converted = std::localtime(&time)) local = *converted;
    char buffer[32];
    const std::size_t length = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M", &local);
    return std::string(buffer, length);
}

}  // namespace sormel
