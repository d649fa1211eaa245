// The per-card report as CSV: UTF-8 with a byte-order mark, so that Excel
// on a Japanese system reads it as UTF-8; a header row; CR LF line ends.
// A column without a value (no average, side part not counted) is empty.
//
// Against a baseline, every row gains the comparison columns. With deck
// types, every row starts with its type: the rows over all decks first
// (全体), then one block per type with that type's own cards.
#include <optional>
#include <string_view>

#include "engine/numeric_text.h"
#include "export/csv_writer.h"
#include "export/report_writer.h"

namespace sormel {
namespace {

struct Layout {
    bool typeColumn = false;
    bool comparison = false;
};

// A text a spreadsheet would take for a formula gets a leading "'", which
// it shows as text; counts and rates are written apart and keep theirs.
void appendText(std::string& out, const std::string& text) {
    const bool formulaLike = !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
    appendQuoted(out, formulaLike ? "'" + text : text, CsvEncoding::Utf8);
}

void appendCount(std::string& out, std::optional<std::int64_t> value) {
    out.push_back(',');
    if (value) out += std::to_string(*value);
}

void appendRate(std::string& out, std::optional<std::int64_t> hundredths) {
    out.push_back(',');
    if (hundredths) out += shortHundredthsText(*hundredths);
}

void appendRank(std::string& out, std::optional<std::size_t> rank) {
    out.push_back(',');
    if (rank) out += std::to_string(*rank);
}

// Without a comparison for the card, every comparison field is empty; a
// card kept since the baseline has an empty status text.
void appendChange(std::string& out, const std::optional<CardChange>& change) {
    if (!change) {
        out += ",,,,,,,";
        return;
    }
    appendRate(out, change->adoptionBefore);
    appendRate(out, change->adoptionChange);
    appendRate(out, change->avgCopiesBefore);
    appendRate(out, change->avgCopiesChange);
    appendRank(out, change->rank);
    appendRank(out, change->rankBefore);
    out.push_back(',');
    appendText(out, cardStatusText(change->status));
}

void appendHeader(std::string& out, const Layout& layout, int copyLimit) {
    std::vector<std::string> names;
    if (layout.typeColumn) names.emplace_back("デッキタイプ");
    for (std::string& name : reportColumnNames(copyLimit)) names.push_back(std::move(name));
    if (layout.comparison) {
        for (std::string& name : comparisonColumnNames()) names.push_back(std::move(name));
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out.push_back(',');
        appendText(out, names[i]);
    }
    out += "\r\n";
}

void appendCards(std::string& out, const Layout& layout, const CardReport& report, const std::string& type) {
    for (const CardFigures& card : report.cards) {
        if (layout.typeColumn) {
            appendText(out, type);
            out.push_back(',');
        }
        appendText(out, card.number);
        out.push_back(',');
        appendText(out, card.name);
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
        if (layout.comparison) appendChange(out, card.change);
        out += "\r\n";
    }
}

}  // namespace

std::string formatReportCsv(const ReportData& data) {
    const Layout layout{.typeColumn = data.byFolder, .comparison = data.baseline.has_value()};
    std::string out = "\xEF\xBB\xBF";
    appendHeader(out, layout, data.report.copyLimit);
    appendCards(out, layout, data.report, kAllTypesName);
    if (layout.typeColumn) {
        for (const TypeReport& type : data.types) appendCards(out, layout, type.report, type.name);
    }
    return out;
}

}  // namespace sormel
