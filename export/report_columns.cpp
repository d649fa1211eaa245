#include "export/report_columns.h"

namespace sormel {
namespace {

CellValue missing() { return std::optional<std::int64_t>(); }

CellValue number(std::int64_t value) { return std::optional<std::int64_t>(value); }

template <typename T>
CellValue number(const std::optional<T>& value) {
    return value ? number(static_cast<std::int64_t>(*value)) : missing();
}

template <auto Member>
CellValue cardText(const CardFigures& card, std::size_t) {
    return std::string_view(card.*Member);
}

template <auto Member>
CellValue cardNumber(const CardFigures& card, std::size_t) {
    return number(card.*Member);
}

// Empty for a card without a comparison.
template <auto Member>
CellValue changeNumber(const CardFigures& card, std::size_t) {
    return card.change ? number((*card.change).*Member) : missing();
}

CellValue changeStatus(const CardFigures& card, std::size_t) {
    return card.change ? number(static_cast<std::int64_t>(card.change->status)) : missing();
}

// Empty for a card without a trend (a deck type's own cards).
CellValue trendAdoption(const CardFigures& card, std::size_t period) {
    return card.trend && period < card.trend->series.size() ? number(card.trend->series[period].adoption) : missing();
}

template <auto Member>
CellValue trendNumber(const CardFigures& card, std::size_t) {
    return card.trend ? number((*card.trend).*Member) : missing();
}

CellValue trendStatus(const CardFigures& card, std::size_t) {
    return card.trend ? number(static_cast<std::int64_t>(card.trend->status)) : missing();
}

// Empty for a card without results figures.
template <auto Member>
CellValue resultNumber(const CardFigures& card, std::size_t) {
    return card.results ? number((*card.results).*Member) : missing();
}

CellValue splitBucket(const CardFigures& card, std::size_t bucket) {
    return bucket < card.split.size() ? number(card.split[bucket]) : missing();
}

// How a row of the table below becomes columns. Most rows are one column;
// the adoption over several periods is one per period, titled with the
// header and the period's name;
// the split by copies is a column for each count from 1 to the copy limit
// (titled with the count before the row's header), one for more than the
// limit (titled with the limit + 1) and one for zero or less.
enum class Span { One, EachCopy, OverLimit, ZeroOrLess, EachPeriod };

struct ColumnRow {
    std::string_view group;
    std::string_view key;  // empty for EachCopy: the key is the count
    std::string_view header;
    ColumnKind kind;
    ColumnPresence presence;
    Span span;
    CellValue (*read)(const CardFigures&, std::size_t);
};

using enum ColumnKind;
using enum ColumnPresence;
using enum Span;

const ColumnRow kColumns[] = {
    {"", "number", "No.", Text, Always, One, cardText<&CardFigures::number>},
    {"", "name", "カード名称", Text, Always, One, cardText<&CardFigures::name>},
    {"", "decks", "デッキ", Count, Always, One, cardNumber<&CardFigures::decks>},
    {"", "copies", "枚数", Count, Always, One, cardNumber<&CardFigures::copies>},
    {"", "adoption", "採用(%)", Rate, Always, One, cardNumber<&CardFigures::adoption>},
    {"", "usage", "使用(%)", Rate, Always, One, cardNumber<&CardFigures::usage>},
    {"", "avg_copies", "平均採用枚数", Average, Always, One, cardNumber<&CardFigures::avgCopies>},
    {"", "main_decks", "メインデッキ", Count, Always, One, cardNumber<&CardFigures::mainDecks>},
    {"", "main_copies", "メイン枚数", Count, Always, One, cardNumber<&CardFigures::mainCopies>},
    {"", "side_decks", "サイドデッキ", Count, Always, One, cardNumber<&CardFigures::sideDecks>},
    {"", "side_copies", "サイド枚数", Count, Always, One, cardNumber<&CardFigures::sideCopies>},
    {"split", "", "枚", Count, Always, EachCopy, splitBucket},
    {"split", "over", "枚以上", Count, Always, OverLimit, splitBucket},
    {"split", "other", "0枚以下", Count, Always, ZeroOrLess, splitBucket},
    {"", "adoption_before", "前回採用(%)", Rate, Compared, One, changeNumber<&CardChange::adoptionBefore>},
    // The change in points is a rate too: the workbook shows it as a
    // percentage, to add to and subtract from the adoption columns.
    {"", "adoption_change", "採用増減(pt)", Rate, Compared, One, changeNumber<&CardChange::adoptionChange>},
    {"", "avg_copies_before", "前回平均採用枚数", Average, Compared, One,
     changeNumber<&CardChange::avgCopiesBefore>},
    {"", "avg_copies_change", "平均採用枚数増減", Average, Compared, One,
     changeNumber<&CardChange::avgCopiesChange>},
    {"", "rank", "順位", Count, Compared, One, changeNumber<&CardChange::rank>},
    {"", "rank_before", "前回順位", Count, Compared, One, changeNumber<&CardChange::rankBefore>},
    {"", "status", "状態", Status, Compared, One, changeStatus},
    {"trend", "", "採用(%) ", Rate, Trended, EachPeriod, trendAdoption},
    {"trend", "change", "採用増減(pt)", Rate, Trended, One, trendNumber<&CardTrend::change>},
    {"trend", "slope", "傾き(pt/期)", Rate, Trended, One, trendNumber<&CardTrend::slope>},
    {"trend", "status", "状態", Status, Trended, One, trendStatus},
    {"", "result_decks", "成績デッキ", Count, Results, One, resultNumber<&ResultFigures::resultDecks>},
    {"", "win_rate", "勝率(%)", Rate, Results, One, resultNumber<&ResultFigures::winRate>},
    {"", "win_rate_low", "下限(%)", Rate, Results, One, resultNumber<&ResultFigures::winRateLow>},
    {"", "win_rate_high", "上限(%)", Rate, Results, One, resultNumber<&ResultFigures::winRateHigh>},
    {"", "win_rate_without", "非採用勝率(%)", Rate, Results, One, resultNumber<&ResultFigures::winRateWithout>},
    {"", "top_decks", "上位デッキ", Count, Results, One, resultNumber<&ResultFigures::topDecks>},
    {"", "top_adoption", "上位採用(%)", Rate, Results, One, resultNumber<&ResultFigures::topAdoption>},
    // A ratio of two shares: 1.00 is a card as common in the top cut as among the placed decks.
    {"", "conversion", "上位進出率", Average, Results, One, resultNumber<&ResultFigures::conversion>},
};

ReportColumn column(const ColumnRow& row, std::string key, std::string header, std::size_t bucket) {
    return {std::move(key), std::string(row.group), std::move(header), row.kind, row.presence, row.read, bucket};
}

}  // namespace

std::vector<ReportColumn> reportColumns(const ReportLayout& layout) {
    const auto limit = static_cast<std::size_t>(layout.copyLimit);
    std::vector<ReportColumn> columns;
    for (const ColumnRow& row : kColumns) {
        if (row.presence == Compared && !layout.compared) continue;
        if (row.presence == Trended && layout.periods.empty()) continue;
        if (row.presence == Results && !layout.results) continue;
        switch (row.span) {
        case One:
            columns.push_back(column(row, std::string(row.key), std::string(row.header), 0));
            break;
        case EachCopy:
            for (std::size_t copies = 1; copies <= limit; ++copies) {
                const std::string count = std::to_string(copies);
                columns.push_back(column(row, count, count + std::string(row.header), copies - 1));
            }
            break;
        case OverLimit:
            columns.push_back(
                column(row, std::string(row.key), std::to_string(limit + 1) + std::string(row.header), limit));
            break;
        case ZeroOrLess:
            columns.push_back(column(row, std::string(row.key), std::string(row.header), limit + 1));
            break;
        case EachPeriod:
            for (std::size_t period = 0; period < layout.periods.size(); ++period) {
                const std::string& name = layout.periods[period];
                columns.push_back(column(row, name, std::string(row.header) + name, period));
            }
            break;
        }
    }
    return columns;
}

std::string cardStatusText(CardStatus status) {
    switch (status) {
    case CardStatus::New:
        return "新規";
    case CardStatus::Dropped:
        return "消滅";
    case CardStatus::Returned:
        return "復活";
    case CardStatus::Kept:
        break;
    }
    return {};
}

std::vector<std::string> periodNames(const std::vector<PeriodInfo>& periods) {
    std::vector<std::string> names;
    for (const PeriodInfo& period : periods) names.push_back(period.name);
    return names;
}

}  // namespace sormel
