// The per-card report as CSV: UTF-8 with a byte-order mark, so that Excel
// on a Japanese system reads it as UTF-8; a header row; CR LF line ends.
// A column without a value (no average, side part not counted) is empty.
#include <optional>

#include "engine/numeric_text.h"
#include "export/csv_writer.h"
#include "export/report_writer.h"

namespace sormel {
namespace {

void appendCount(std::string& out, std::optional<std::int64_t> value) {
    out.push_back(',');
    if (value) out += std::to_string(*value);
}

void appendRate(std::string& out, std::optional<std::int64_t> hundredths) {
    out.push_back(',');
    if (hundredths) out += shortHundredthsText(*hundredths);
}

}  // namespace

std::string formatReportCsv(const ReportData& data) {
    std::string out = "\xEF\xBB\xBF";
    const std::vector<std::string> names = reportColumnNames(data.report.copyLimit);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out.push_back(',');
        appendQuoted(out, names[i], CsvEncoding::Utf8);
    }
    out += "\r\n";
    for (const CardFigures& card : data.report.cards) {
        appendQuoted(out, card.number, CsvEncoding::Utf8);
        out.push_back(',');
        appendQuoted(out, card.name, CsvEncoding::Utf8);
        appendCount(out, card.decks);
        appendCount(out, card.copies);
        appendRate(out, card.adoption);
        appendRate(out, card.usage);
        appendRate(out, card.avgCopies);
        appendCount(out, card.mainDecks);
        appendCount(out, card.mainCopies);
        appendCount(out, card.sideDecks);
        appendCount(out, card.sideCopies);
        for (const std::int64_t decks : card.split) appendCount(out, decks);
        out += "\r\n";
    }
    return out;
}

}  // namespace sormel
