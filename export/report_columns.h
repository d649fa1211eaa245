// The columns of the per-card report, described once: the CSV, JSON and
// Excel writers and the analysis window's table all walk this list, so a
// new column is one row of the table in report_columns.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "analysis/card_report.h"

namespace sormel {

// What a column holds, and so how each format writes it.
enum class ColumnKind {
    Text,     // text as it is (card numbers stay text: "001")
    Count,    // a whole number
    Rate,     // hundredths of a percent; the workbook shows it as a percentage
    Average,  // hundredths of a plain number; the workbook shows two decimals
    Status,   // a CardStatus: 新規, 消滅, or nothing for a card kept
};

// When a report has the column.
enum class ColumnPresence {
    Always,
    Compared,  // against a baseline; the card's figures come from its change
    Trended,   // over several periods; from the card's trend, empty on a type's own cards
    Results,   // with deck results; the card's figures come from its results
};

// What one column reads from one card: the text of a text column, else a
// number (empty where the card has none: no average, side not counted, no
// comparison for the card). Text points into the card.
using CellValue = std::variant<std::string_view, std::optional<std::int64_t>>;

inline std::string_view textIn(const CellValue& value) {
    const auto* text = std::get_if<std::string_view>(&value);
    return text ? *text : std::string_view();
}
inline std::optional<std::int64_t> numberIn(const CellValue& value) {
    const auto* number = std::get_if<std::optional<std::int64_t>>(&value);
    return number ? *number : std::nullopt;
}

// What decides which columns a report has.
struct ReportLayout {
    int copyLimit = 3;
    bool compared = false;
    std::vector<std::string> periods{};  // over several periods: their names, in order
    bool results = false;
};

struct ReportColumn {
    std::string key;    // the JSON member's name
    std::string group;  // the JSON object the member sits in ("split"), or empty for the card itself
    std::string header; // the column title of the CSV, the workbook and the window
    ColumnKind kind;
    ColumnPresence presence;
    CellValue (*read)(const CardFigures& card, std::size_t bucket);
    std::size_t bucket = 0;  // for the copies split: which of CardFigures::split; for a period, its index

    CellValue value(const CardFigures& card) const { return read(card, bucket); }
};

// Whether a card has the figures of a column of this presence.
inline bool hasFiguresFor(const CardFigures& card, ColumnPresence presence) {
    if (presence == ColumnPresence::Compared) return card.change.has_value();
    if (presence == ColumnPresence::Results) return card.results.has_value();
    return true;
}

// The columns of a report laid out as `layout`, in order: the split by
// copies has one column per copy count up to the limit.
std::vector<ReportColumn> reportColumns(const ReportLayout& layout);

// 新規, 消滅, 復活, or empty for a card found in both periods.
std::string cardStatusText(CardStatus status);

// The names of a report's periods, for ReportLayout::periods.
std::vector<std::string> periodNames(const std::vector<PeriodInfo>& periods);

}  // namespace sormel
