#include "analysis/card_analysis.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <tuple>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/card_report.h"
#include "engine/tally_run.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::RecordingHost;
using testing::ScratchFolder;
using Split = std::vector<std::int64_t>;

// Runs the real tally over decks written from `decks` (one text per file)
// with an analysis attached.
class CardAnalysisTest : public ::testing::Test {
protected:
    TallyOutcome run(const std::vector<std::string>& decks, int copyLimit = 3) {
        files.clear();
        for (std::size_t i = 0; i < decks.size(); ++i) files.push_back(folder.write(std::to_string(i) + ".txt", decks[i]));
        analysis = std::make_unique<CardAnalysis>(copyLimit);
        TallyOptions options;
        options.includeSidePart = side;
        options.observer = analysis.get();
        result = runTally(table, DeckFiles::ofPaths(files), options, host);
        return result.outcome;
    }
    CardReport report() const { return buildCardReport(table, *analysis, static_cast<std::int64_t>(files.size()), side); }
    std::map<std::string, CardFigures> cardsByNumber() const {
        std::map<std::string, CardFigures> cards;
        for (CardFigures& card : report().cards) cards[card.number] = std::move(card);
        return cards;
    }

    bool side = true;
    ScratchFolder folder;
    std::vector<std::filesystem::path> files;
    UsageTable table;
    RecordingHost host;
    TallyResult result;
    std::unique_ptr<CardAnalysis> analysis;
};

TEST_F(CardAnalysisTest, MainAndSideCountOncePerDeckEach) {
    // Deck 1 alone: decks 1, main 1, side 1.
    ASSERT_EQ(run({"2,A,a\r\n--\r\n1,A,a\r\n"}), TallyOutcome::Completed);
    CardFigures a = cardsByNumber().at("A");
    EXPECT_EQ(std::tie(a.decks, a.mainDecks, a.mainCopies, a.sideDecks, a.sideCopies), std::tuple(1, 1, 2, 1, 1));
    // Then twice in the main part, and three lines in the side part.
    ASSERT_EQ(run({"2,A,a\r\n--\r\n1,A,a\r\n", "1,A,a\r\n1,A,a\r\n", "--\r\n1,A,a\r\n1,A,a\r\n1,A,a\r\n"}),
              TallyOutcome::Completed);
    a = cardsByNumber().at("A");
    EXPECT_EQ(std::tie(a.decks, a.copies, a.mainDecks, a.mainCopies, a.sideDecks, a.sideCopies),
              std::tuple(3, 8, 2, 4, 2, 4));
    // Per deck: 3, 2 and 3 copies.
    EXPECT_EQ(a.split, (Split{0, 1, 2, 0, 0}));
    EXPECT_EQ(a.avgCopies, 267);  // 8 / 3 = 2.666...
}

// Copies per deck are summed as the table sums them (15 significant
// digits), then rounded half to even: 0.1 + 2.2 + 0.2 is 2.5 and goes to 2,
// where a plain binary sum would give 2.5000000000000004 and go to 3.
TEST_F(CardAnalysisTest, FractionalAndNegativeCopiesFallIntoTheSplitWithALimitOfFour) {
    ASSERT_EQ(run({"2.5,X,x\r\n",             // 2
                   "0.1,X,x\r\n2.2,X,x\r\n0.2,X,x\r\n",  // 2.5: 2
                   "0.7,X,x\r\n0.6,X,x\r\n0.2,X,x\r\n",  // 1.5: 2
                   "0.5,X,x\r\n",             // 0: other
                   "-1,X,x\r\n",              // other
                   "3,X,x\r\n1.6,X,x\r\n",    // 4.6 is 5: over
                   "3.5,X,x\r\n",             // 4
                   "1,X,x\r\n-1,X,x\r\n1,X,x\r\n",  // 1
                   "4.5,X,x\r\n"},            // 4
                  4),
              TallyOutcome::Completed);
    const CardFigures x = cardsByNumber().at("X");
    EXPECT_EQ(x.decks, 9);
    EXPECT_EQ(x.split, (Split{1, 3, 0, 2, 1, 2}));
    // Copies 2.5+2.5+1.5+0.5-1+4.6+3.5+1+4.5 = 19.6, shown as 20.
    EXPECT_EQ(x.copies, 20);
    // Usage for a limit of 4: 20 / (9 × 4) = 55.555...%.
    EXPECT_EQ(x.usage, 5556);
    EXPECT_EQ(x.adoption, 10000);
    EXPECT_EQ(x.avgCopies, 222);  // 20 / 9
}

TEST_F(CardAnalysisTest, AveragesDivideTheShownCountsAndRoundHalfAwayFromZero) {
    std::vector<std::string> decks(8, "1,P,p\r\n1,N,n\r\n");
    decks[0] = "2,P,p\r\n-7,N,n\r\n";
    decks[1] = "-1,P,p\r\n0.4,N,n\r\n";
    ASSERT_EQ(run(decks), TallyOutcome::Completed);
    const auto cards = cardsByNumber();
    // P: 2 - 1 + 6 = 7 copies in 8 decks, 0.875 per deck.
    EXPECT_EQ(cards.at("P").copies, 7);
    EXPECT_EQ(cards.at("P").avgCopies, 88);
    // N: -7 + 0.4 + 6 = -0.6, shown as -1; -1 / 8 = -0.125.
    EXPECT_EQ(cards.at("N").copies, -1);
    EXPECT_EQ(cards.at("N").avgCopies, -13);
}

TEST_F(CardAnalysisTest, TheBlankRowOfARunWithoutCardsHasNoAverage) {
    ASSERT_EQ(run({"comment\r\n0,A,a\r\n", "\r\n"}), TallyOutcome::Completed);
    const CardReport r = report();
    ASSERT_EQ(r.cards.size(), 1u);
    const CardFigures& blank = r.cards[0];
    EXPECT_EQ(blank.number, "");
    EXPECT_EQ(blank.decks, 0);
    EXPECT_EQ(blank.adoption, 0);
    EXPECT_EQ(blank.usage, 0);
    EXPECT_FALSE(blank.avgCopies);
    EXPECT_EQ(blank.mainDecks, 0);
    EXPECT_EQ(blank.sideDecks, 0);
    EXPECT_EQ(blank.split, (Split{0, 0, 0, 0, 0}));
}

TEST_F(CardAnalysisTest, WithTheSideOffSideColumnsAreEmptyAndSideOnlyCardsHaveNoRow) {
    side = false;
    ASSERT_EQ(run({"1,A,a\r\n--\r\n2,A,a\r\n1,S,side only\r\n", "3,A,a\r\n"}), TallyOutcome::Completed);
    const CardReport r = report();
    ASSERT_EQ(r.cards.size(), 1u);
    const CardFigures& a = r.cards[0];
    EXPECT_EQ(a.number, "A");
    EXPECT_EQ(a.copies, 4);
    EXPECT_EQ(a.mainDecks, 2);
    EXPECT_EQ(a.mainCopies, 4);
    EXPECT_FALSE(a.sideDecks);
    EXPECT_FALSE(a.sideCopies);
    EXPECT_EQ(a.split, (Split{1, 0, 1, 0, 0}));
    EXPECT_FALSE(r.sideCounted);
}

// Main and side sums are report columns: beyond the integer range they fail
// the report, naming the card, but not the run. A deck's own count beyond
// the range only lands in "over" or "other".
TEST_F(CardAnalysisTest, PartSumsBeyondTheRangeFailTheReportButPerDeckCountsDoNot) {
    host.fast = true;  // rates only at the end, once the sums are back in range
    ASSERT_EQ(run({"3000000000,Z,z\r\n--\r\n-3000000000,Z,z\r\n",
                   "3000000000,Y,y\r\n", "-3000000000,Y,y\r\n1,Y,y\r\n"}),
              TallyOutcome::Completed)
        << result.message;
    try {
        report();
        FAIL() << "no error";
    } catch (const CardError& error) {
        EXPECT_EQ(error.cardNumber(), "Z");
        EXPECT_NE(std::string(error.what()).find("メイン枚数"), std::string::npos);
    }
    const CardParts y = analysis->partsOf(*table.findCard("Y"));
    EXPECT_EQ(y.split, (Split{0, 0, 0, 1, 1}));
    EXPECT_EQ(y.mainCopies, 1);
}

// A deck that a cancel cut short counts in the table; it counts in the
// split too, so that the buckets still add up to the decks.
TEST_F(CardAnalysisTest, ADeckCutShortStillCountsInTheSplit) {
    host.onEvents = [](RecordingHost& h, int call) { h.cancel = call == 3; };
    ASSERT_EQ(run({"1,A,a\r\n", "2,A,a\r\n1,A,a\r\n1,A,a\r\n"}), TallyOutcome::Cancelled);
    const CardParts a = analysis->partsOf(*table.findCard("A"));
    EXPECT_EQ(table.row(0).decks, 2);
    EXPECT_EQ(a.split, (Split{1, 0, 1, 0, 0}));  // 1, then 3 read before the cancel
}

TEST(CopySplit, EveryCountFindsItsBucket) {
    struct Case {
        double copies;
        int limit;
        std::size_t index;
    };
    const Case cases[] = {
        {1, 3, 0},          {3, 3, 2},          {4, 3, 3},           {2.5, 3, 1},    {3.5, 3, 3},
        {0.5, 3, 4},        {0.51, 3, 0},       {-0.5, 3, 4},        {0, 3, 4},      {-7, 3, 4},
        {99, 99, 98},       {100, 99, 99},      {1, 1, 0},           {1.5, 1, 1},
        {2147483647, 3, 3}, {2147483647.5, 3, 3}, {-2147483648.5, 3, 4}, {1e300, 3, 3}, {-1e300, 3, 4},
        {2.0000001, 3, 1},  {2.9999999, 3, 2},  {std::numeric_limits<double>::quiet_NaN(), 3, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CardAnalysis::splitIndex(c.copies, c.limit), c.index) << c.copies << " with limit " << c.limit;
    }
}

}  // namespace
}  // namespace sormel
