// The figures over several periods against figures worked by hand: the
// slope's exact rounding, the latest change, each status, and whole runs
// with absent cards, a period without decks, one-card periods and ties.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "analysis/trends.h"

namespace sormel {
namespace {

using Values = std::vector<std::optional<std::int64_t>>;
constexpr std::nullopt_t none = std::nullopt;

TEST(TrendFigures, SlopeIsTheExactLeastSquaresSlopeRoundedHalfAwayFromZero) {
    struct Case {
        const char* name;
        Values adoptions;  // hundredths
        std::optional<std::int64_t> slope;
    };
    const Case cases[] = {
        {"no period", {}, none},
        {"one period", {5000}, none},
        {"one period with decks among empty ones", {none, 5000, none}, none},
        {"two periods: the difference", {1000, 3500}, 2500},
        {"three in a line", {1000, 2000, 3000}, 1000},
        {"three not in a line", {1000, 2000, 4000}, 1500},
        // Three periods give (last − first) ÷ 2: 33.33 ÷ 2 = 16.665 → 16.67.
        {"a half rounds up", {0, 5000, 3333}, 1667},
        {"a falling half rounds down", {3333, 0, 0}, -1667},
        {"an empty period keeps its place on the axis", {1000, none, 3000}, 1000},
        {"less than half a hundredth is dropped", {0, 0, 0, 1}, 0},  // 0.3
        {"four periods", {0, 0, 0, 100}, 30},                        // 6 ÷ 20 of a point
        {"flat", {4200, 4200, 4200}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(leastSquaresSlope(c.adoptions), c.slope) << c.name;
}

TEST(TrendFigures, ChangeNeedsBothOfTheLastTwoPeriods) {
    EXPECT_EQ(latestChange({1000, 1500}), 500);
    EXPECT_EQ(latestChange({9000, 1000, 1500}), 500);
    EXPECT_EQ(latestChange({1000, none}), none);
    EXPECT_EQ(latestChange({none, 1000}), none);
    EXPECT_EQ(latestChange({1000}), none);
}

TEST(TrendFigures, StatusFollowsThePeriodsTheCardWasIn) {
    const struct {
        std::vector<bool> present;
        CardStatus status;
    } cases[] = {
        {{true, true, true}, CardStatus::Kept},     {{false, true, true}, CardStatus::Kept},
        {{false, false, true}, CardStatus::New},    {{true, false, false}, CardStatus::Dropped},
        {{true, true, false}, CardStatus::Dropped}, {{true, false, true}, CardStatus::Returned},
        {{true, false, false, true}, CardStatus::Returned}, {{false, true, false, true}, CardStatus::Returned},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const bool p : c.present) shown += p ? '1' : '0';
        EXPECT_EQ(trendStatus(c.present), c.status) << shown;
    }
}

// A finished table of `decks`, each deck its card numbers (copies 1, named
// after the number unless `names` says otherwise).
UsageTable tableOf(const std::vector<std::vector<std::string>>& decks,
                   const std::map<std::string, std::string>& names = {}) {
    UsageTable table;
    for (std::size_t deck = 0; deck < decks.size(); ++deck) {
        for (const std::string& number : decks[deck]) {
            std::optional<std::size_t> handle = table.findCard(number);
            if (!handle) handle = table.addCard(number, names.contains(number) ? names.at(number) : number);
            table.recordCardLine(*handle, 1, deck + 1);
        }
    }
    table.computeAllMetrics(static_cast<std::int64_t>(decks.size()), SortChoice::ByDecks);
    return table;
}

// The last period's report as the pipeline makes it: a card per table row.
ReportData reportOf(const UsageTable& table, bool typed = false) {
    ReportData data;
    data.byFolder = typed;
    for (std::size_t position = 0; position < table.rowCount(); ++position) {
        CardFigures card;
        card.number = table.row(position).cardNumber;
        card.name = table.row(position).cardName;
        data.report.cards.push_back(card);
    }
    return data;
}

PeriodCard seen(std::int32_t decks, std::int64_t adoption, std::size_t rank) {
    return {decks, decks, adoption, 100, rank};
}
PeriodCard absent(std::optional<std::int64_t> adoption) { return {0, 0, adoption, none, none}; }

void expectSeries(const CardFigures& card, const std::vector<PeriodCard>& expected) {
    ASSERT_TRUE(card.trend) << card.number;
    ASSERT_EQ(card.trend->series.size(), expected.size()) << card.number;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const PeriodCard& got = card.trend->series[i];
        EXPECT_EQ(got.decks, expected[i].decks) << card.number << " period " << i;
        EXPECT_EQ(got.copies, expected[i].copies) << card.number << " period " << i;
        EXPECT_EQ(got.adoption, expected[i].adoption) << card.number << " period " << i;
        EXPECT_EQ(got.avgCopies, expected[i].avgCopies) << card.number << " period " << i;
        EXPECT_EQ(got.rank, expected[i].rank) << card.number << " period " << i;
    }
}

// Period 1 (4 decks): A in all, B in 2, C in 1. Period 2: no deck.
// Period 3 (2 decks): D in both, A in 1.
TEST(TrendSeriesTest, AbsentCardsAndAPeriodWithoutDecks) {
    TrendSeries series;
    const UsageTable first = tableOf({{"A", "B", "C"}, {"A", "B"}, {"A"}, {"A"}});
    const UsageTable last = tableOf({{"D", "A"}, {"D"}});
    series.addPeriod("1", 4, &first);
    series.addPeriod("2", 0, nullptr);
    series.addPeriod("3", 2, &last);
    ReportData data = reportOf(last);
    data.report.copyLimit = 2;
    series.addTo(data);

    ASSERT_EQ(data.periods.size(), 3u);
    EXPECT_EQ(data.periods[1].name, "2");
    EXPECT_EQ(data.periods[1].decks, 0);
    const std::vector<CardFigures>& cards = data.report.cards;
    ASSERT_EQ(cards.size(), 4u);
    // The last period's order, then the others by their best adoption.
    EXPECT_EQ(cards[0].number, "D");
    EXPECT_EQ(cards[1].number, "A");
    EXPECT_EQ(cards[2].number, "B");
    EXPECT_EQ(cards[3].number, "C");

    expectSeries(cards[0], {absent(0), absent(none), seen(2, 10000, 1)});
    EXPECT_EQ(cards[0].trend->change, none);  // period 2 has no adoption
    EXPECT_EQ(cards[0].trend->slope, 5000);   // (0, 0), (2, 100.00)
    EXPECT_EQ(cards[0].trend->status, CardStatus::New);

    expectSeries(cards[1], {seen(4, 10000, 1), absent(none), seen(1, 5000, 2)});
    EXPECT_EQ(cards[1].trend->slope, -2500);
    EXPECT_EQ(cards[1].trend->status, CardStatus::Returned);  // not in the empty period before

    expectSeries(cards[2], {seen(2, 5000, 2), absent(none), absent(0)});
    EXPECT_EQ(cards[2].trend->slope, -2500);
    EXPECT_EQ(cards[2].trend->status, CardStatus::Dropped);
    EXPECT_EQ(cards[3].trend->slope, -1250);  // 25.00 to 0 over two periods
    // A card only earlier periods had carries counts 0 and no average.
    EXPECT_EQ(cards[2].decks, 0);
    EXPECT_EQ(cards[2].adoption, 0);
    EXPECT_EQ(cards[2].avgCopies, none);
    EXPECT_EQ(cards[2].sideDecks, 0);
    EXPECT_EQ(cards[2].split, (std::vector<std::int64_t>{0, 0, 0, 0}));
}

// Period 1 (2 decks): C in both, B and A in one each, A named "old".
// Period 2 (1 deck): only C. Period 3 (1 deck): C and A, now named "new".
TEST(TrendSeriesTest, OneCardPeriodsTiesAndTheLatestName) {
    TrendSeries series;
    const UsageTable first = tableOf({{"C", "B"}, {"C", "A"}}, {{"A", "old"}});
    const UsageTable second = tableOf({{"C"}});
    series.addPeriod("1", 2, &first);
    series.addPeriod("2", 1, &second);
    ReportData twoPeriods = reportOf(second);
    series.addTo(twoPeriods);
    ASSERT_EQ(twoPeriods.report.cards.size(), 3u);
    // A and B tie at 50.00: by card number.
    EXPECT_EQ(twoPeriods.report.cards[1].number, "A");
    EXPECT_EQ(twoPeriods.report.cards[2].number, "B");
    EXPECT_EQ(twoPeriods.report.cards[0].trend->change, 0);
    EXPECT_EQ(twoPeriods.report.cards[0].trend->status, CardStatus::Kept);
    EXPECT_EQ(twoPeriods.report.cards[1].trend->change, -5000);
    EXPECT_EQ(twoPeriods.report.cards[1].name, "old");

    const UsageTable third = tableOf({{"C", "A"}}, {{"A", "new"}});
    series.addPeriod("3", 1, &third);
    ReportData data = reportOf(third);
    series.addTo(data);
    ASSERT_EQ(data.report.cards.size(), 3u);
    EXPECT_EQ(data.report.cards[0].number, "A");  // ties in the table: by number
    EXPECT_EQ(data.report.cards[0].name, "new");
    EXPECT_EQ(data.report.cards[0].trend->status, CardStatus::Returned);
    EXPECT_EQ(data.report.cards[0].trend->change, 10000);
    EXPECT_EQ(data.report.cards[0].trend->slope, 2500);  // 50, 0, 100 → (100 − 50) ÷ 2
    expectSeries(data.report.cards[1], {seen(2, 10000, 1), seen(1, 10000, 1), seen(1, 10000, 2)});
    EXPECT_EQ(data.report.cards[2].number, "B");
    EXPECT_EQ(data.report.cards[2].trend->status, CardStatus::Dropped);
}

TEST(TrendSeriesTest, TypeSharesWithTypesSeenOnlyEarlier) {
    TrendSeries series;
    const UsageTable first = tableOf({{"A"}, {"A"}, {"A"}, {"A"}});
    const UsageTable last = tableOf({{"A"}, {"A"}});
    series.addPeriod("1", 4, &first, {{"X", 2}, {"Z", 1}, {"Y", 1}});
    series.addPeriod("2", 0, nullptr);
    series.addPeriod("3", 2, &last, {{"X", 2}});
    ReportData data = reportOf(last, true);
    data.types.push_back(TypeReport{.name = "X", .decks = 2, .share = 10000, .report = {}});
    series.addTo(data);

    ASSERT_EQ(data.types.size(), 3u);
    EXPECT_EQ(data.types[1].name, "Y");  // tied with Z at 25.00: by name
    EXPECT_EQ(data.types[2].name, "Z");
    EXPECT_EQ(data.types[1].decks, 0);
    EXPECT_EQ(data.types[1].share, 0);
    const TypeTrend& x = *data.types[0].shareTrend;
    ASSERT_EQ(x.series.size(), 3u);
    EXPECT_EQ(x.series[0].share, 5000);
    EXPECT_EQ(x.series[1].share, none);
    EXPECT_EQ(x.series[2].decks, 2);
    EXPECT_EQ(x.change, none);
    EXPECT_EQ(x.slope, 2500);
    const TypeTrend& y = *data.types[1].shareTrend;
    EXPECT_EQ(y.series[2].share, 0);
    EXPECT_EQ(y.slope, -1250);
    // Cards inside a type's own table have no trend.
    EXPECT_TRUE(data.types[0].report.cards.empty());
}

}  // namespace
}  // namespace sormel
