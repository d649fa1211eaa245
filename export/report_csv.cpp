// The per-card report as CSV: UTF-8 with a byte-order mark, so that Excel
// on a Japanese system reads it as UTF-8; a header row; CR LF line ends.
// A column without a value (no average, side part not counted) is empty.
//
// Against a baseline, every row gains the comparison columns; with deck
// results, the results columns after them (empty in the rows of each deck
// type's own cards, which have no results figures). With deck
// types, every row starts with its type: the rows over all decks first
// (全体), then one block per type with that type's own cards.
#include <optional>
#include <string_view>

#include "engine/numeric_text.h"
#include "export/csv_writer.h"
#include "export/report_writer.h"

namespace sormel {
namespace {

// A text a spreadsheet would take for a formula gets a leading "'", which
// it shows as text; counts and rates are written apart and keep theirs.
void appendText(std::string& out, std::string_view text) {
    const bool formulaLike = !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
    if (formulaLike) {
        std::string marked(1, '\'');
        marked += text;
        appendQuoted(out, marked, CsvEncoding::Utf8);
    } else {
        appendQuoted(out, text, CsvEncoding::Utf8);
    }
}

// Texts quoted, numbers bare, rates and averages in their shortest form; a
// missing value is an empty field. A card kept since the baseline has an
// empty status text.
void appendCell(std::string& out, const ReportColumn& column, const CellValue& value) {
    if (column.kind == ColumnKind::Text) return appendText(out, textIn(value));
    const std::optional<std::int64_t> number = numberIn(value);
    if (!number) return;
    switch (column.kind) {
    case ColumnKind::Rate:
    case ColumnKind::Average:
        appendShortHundredths(out, *number);
        break;
    case ColumnKind::Status:
        appendText(out, cardStatusText(static_cast<CardStatus>(*number)));
        break;
    case ColumnKind::Count:
    case ColumnKind::Text:
        appendInteger(out, *number);
        break;
    }
}

void appendHeader(std::string& out, bool typeColumn, const std::vector<ReportColumn>& columns) {
    if (typeColumn) appendText(out, "デッキタイプ");
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0 || typeColumn) out.push_back(',');
        appendText(out, columns[i].header);
    }
    out += "\r\n";
}

// `type` is the deck type that starts every row, or null for none.
void appendCards(PieceBuffer& pieces, const std::vector<ReportColumn>& columns, const CardReport& report,
                 const std::string* type) {
    std::string& out = pieces.text;
    // The type's cell, the same on every row.
    std::string typeCell;
    if (type) appendText(typeCell, *type);
    for (const CardFigures& card : report.cards) {
        out += typeCell;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0 || type) out.push_back(',');
            appendCell(out, columns[i], columns[i].value(card));
        }
        out += "\r\n";
        pieces.passOn();
    }
}

}  // namespace

std::string formatReportCsv(const ReportData& data) {
    StringSink text;
    writeReportCsv(data, text);
    return text.take();
}

void writeReportCsv(const ReportData& data, ByteSink& sink) {
    const std::vector<ReportColumn> columns =
        reportColumns({.copyLimit = data.report.copyLimit,
                       .compared = data.baseline.has_value(),
                       .periods = periodNames(data.periods),
                       .results = data.results.has_value()});
    PieceBuffer pieces(sink);
    pieces.text = "\xEF\xBB\xBF";
    appendHeader(pieces.text, data.typed(), columns);
    const std::string allTypes = kAllTypesName;
    appendCards(pieces, columns, data.report, data.typed() ? &allTypes : nullptr);
    if (data.typed()) {
        for (const TypeReport& type : data.types) appendCards(pieces, columns, type.report, &type.name);
    }
    pieces.passOn(true);
}

}  // namespace sormel
