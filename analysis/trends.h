// A run over several periods: what each period's table leaves behind for
// the trends (a few figures per card and per deck type, never the decks),
// and the trends made of them for the last period's report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/report_data.h"
#include "analysis/trend_figures.h"
#include "engine/usage_table.h"

namespace sormel {

// A deck type's name and its decks in one period.
using TypeDecks = std::pair<std::string, std::int64_t>;

class TrendSeries {
public:
    // The next period: its name, its number of decks, its finished table
    // (none for a period without a deck) and its deck types. Throws
    // CardError for a count out of the integer range.
    void addPeriod(std::string name, std::int64_t decks, const UsageTable* table,
                   const std::vector<TypeDecks>& types = {});

    const std::vector<PeriodInfo>& periods() const { return periods_; }

    // Gives the report of the last period added (its cards in its table's
    // order) the periods, each card's trend, the cards only earlier periods
    // had (after its own, with counts 0) and, with deck types, each type's
    // share trend and the types only earlier periods had.
    void addTo(ReportData& data) const;

private:
    struct Card {
        std::string number;
        std::string name;
        std::vector<std::optional<PeriodCard>> seen;  // by period, up to the last it was in
    };
    struct TypeSeries {
        std::string name;
        std::vector<std::int64_t> decks;  // by period, up to the last it had decks in
    };
    CardTrend cardTrend(const Card& card) const;
    TypeTrend typeTrend(const TypeSeries* type) const;
    void addOtherCards(CardReport& report, const std::vector<bool>& inLast) const;
    void addTypeTrends(ReportData& data) const;

    std::vector<PeriodInfo> periods_;
    std::unordered_map<std::string, std::size_t> cardByKey_;
    std::vector<Card> cards_;
    // The last period's table: card by display position, kNone for its blank row.
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<std::size_t> lastOrder_;
    std::unordered_map<std::string, std::size_t> typeByName_;
    std::vector<TypeSeries> types_;
};

// The last value minus the one before, when both are there.
std::optional<std::int64_t> latestChange(const std::vector<std::optional<std::int64_t>>& values);

// The least-squares slope of the values over their positions (0, 1, …),
// leaving out the empty ones, rounded to a whole number (halves away from
// zero) from the exact quotient; empty with fewer than two values.
std::optional<std::int64_t> leastSquaresSlope(const std::vector<std::optional<std::int64_t>>& values);

// 新規 in the last period only, 消滅 gone from it, 復活 back in it after a
// period without it; `present` tells in which periods the card was.
CardStatus trendStatus(const std::vector<bool>& present);

}  // namespace sormel
