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
    return std::nullopt;
}

std::vector<std::string> reportColumnNames(int copyLimit) {
    std::vector<std::string> names{"No.",        "カード名称",   "デッキ",     "枚数",
                                   "採用(%)",    "使用(%)",      "平均採用枚数", "メインデッキ",
                                   "メイン枚数", "サイドデッキ", "サイド枚数"};
    for (int copies = 1; copies <= copyLimit; ++copies) names.push_back(std::to_string(copies) + "枚");
    names.push_back(std::to_string(copyLimit + 1) + "枚以上");
    names.push_back("0枚以下");
    return names;
}

std::vector<std::string> comparisonColumnNames() {
    return {"前回採用(%)", "採用増減(pt)", "前回平均採用枚数", "平均採用枚数増減", "順位", "前回順位", "状態"};
}

std::string cardStatusText(CardStatus status) {
    switch (status) {
    case CardStatus::New:
        return "新規";
    case CardStatus::Dropped:
        return "消滅";
    case CardStatus::Kept:
        break;
    }
    return {};
}

std::string formatReport(ReportKind kind, const ReportData& data) {
    switch (kind) {
    case ReportKind::Csv:
        return formatReportCsv(data);
    case ReportKind::Json:
        return formatReportJson(data);
    case ReportKind::Xlsx:
        return formatReportXlsx(data);
    }
    return {};
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
