// Deck results: reading a results file, places from deck file names, which
// deck each result is for, and the figures worked out from them by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/deck_results.h"
#include "analysis/result_figures.h"

namespace sormel {
namespace {


std::string describe(const std::vector<ResultRow>& rows) {
    std::string text;
    for (const ResultRow& row : rows) {
        text += std::to_string(row.line) + " " + row.file + " " +
                (row.result.place ? std::to_string(*row.result.place) : "-") + " " + std::to_string(row.result.wins) +
                "-" + std::to_string(row.result.losses) + "-" + std::to_string(row.result.draws) + "\n";
    }
    return text;
}

TEST(ResultsFile, ColumnsAreFoundByTheirHeadings) {
    struct Case {
        const char* what;
        std::string text;
        std::string rows;  // line file place wins-losses-draws
    };
    const Case cases[] = {
        {"English headings in any case, blanks around them, other columns ignored",
         " FILE ,Note,Place, Wins ,LOSSES,draws\r\na.txt,x, 2 ,3,1,0\r\n", "2 a.txt 2 3-1-0\n"},
        {"Japanese headings, in another order", "敗,勝,分,ファイル,順位\n1,2,3,b/c.txt,4\n", "2 b/c.txt 4 2-1-3\n"},
        {"only a place column: no games", "file,place\na.txt,1\nb.txt,\n", "2 a.txt 1 0-0-0\n3 b.txt - 0-0-0\n"},
        {"only wins and losses: no places, no draws", "file,wins,losses\na.txt,1,2\n", "2 a.txt - 1-2-0\n"},
        {"the leftmost of two columns of one name", "place,file,順位\n1,a.txt,5\n", "2 a.txt 1 0-0-0\n"},
        {"blank lines are not rows, a short row has empty cells", "\n  \nfile,place,wins,losses\n\na.txt\n",
         "5 a.txt - 0-0-0\n"},
        {"quoted cells, a byte-order mark", "\xEF\xBB\xBF\"file\",\"place\"\n\"a,b.txt\",\"7\"\n", "2 a,b.txt 7 0-0-0\n"},
        {"Shift_JIS names", "file,place\n\x83\x66\x83\x62\x83\x4e.txt,1\n", "2 デック.txt 1 0-0-0\n"},
        {"no rows", "file,place\n", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(describe(parseResults(c.text, "r.csv")), c.rows) << c.what;
    }
}

TEST(ResultsFile, AFileThatCannotBeUsedIsRefusedNamingItsLine) {
    struct Case {
        std::string text;
        std::string message;  // how the message starts
    };
    const Case cases[] = {
        {"", "r.csv: 成績ファイルに見出しの行がありません"},
        {"\n \n", "r.csv: 成績ファイルに見出しの行がありません"},
        {"\nname,place\n", "r.csv:2: 成績ファイルの見出しに file（ファイル）の列がありません。"},
        {"file,wins,draws\n", "r.csv:1: 成績ファイルの見出しに place（順位）の列も"},
        {"file,place\na.txt,0\n", "r.csv:2: place（順位）には 1 から 2147483647 までの整数を書いてください: 「0」"},
        {"file,place\na.txt,1.0\n", "r.csv:2: place（順位）には 1 から"},
        {"file,wins,losses\na.txt,-1,0\n", "r.csv:2: wins（勝）には 0 から 2147483647 までの整数を書いてください: 「-1」"},
        {"file,wins,losses\na.txt,1,2147483648\n", "r.csv:2: losses（敗）には 0 から"},
        {"file,place,draws\na.txt,1,１\n", "r.csv:2: draws（分）には 0 から"},
        {"file,place\na.txt,1\n\"multi\nline\",2\na.txt,3\n", "r.csv:5: 同じファイルの成績が 2 回あります（2 行目にもあります）: 「a.txt」"},
    };
    for (const Case& c : cases) {
        try {
            parseResults(c.text, "r.csv");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const ResultsError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, c.message.size()), c.message) << error.what();
        }
    }
}

TEST(PlaceFromName, TheFirstGroupIsThePlaceWhenItIsAWholeNumberFromOne) {
    struct Case {
        const char* pattern;
        const char* name;
        std::optional<std::int64_t> place;
    };
    const Case cases[] = {
        {"_(\\d+)位", "09_赤単竜_2位.txt", 2},
        {"^(\\d+)", "012_deck.txt", 12},
        {"^(\\d+)", "deck_12.txt", std::nullopt},            // not found
        {"_(\\d*)位", "a_位.txt", std::nullopt},              // an empty group
        {"(\\d+)位|(top)", "top.txt", std::nullopt},          // the first group did not take part
        {"_(\\d+)位", "a_0位.txt", std::nullopt},             // not 1 or more
        {"_(\\d+)位", "a_99999999999位.txt", std::nullopt},   // too large
        {"place(\\w+)", "placeA1.txt", std::nullopt},        // not a number
        {"([0-9]+)", "１位2.txt", 2},                         // ASCII digits only
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaceFromName(c.pattern).placeIn(c.name), c.place) << c.pattern << " in " << c.name;
    }
}

TEST(PlaceFromName, APatternThatDoesNotCompileOrHasNoGroupIsRefused) {
    for (const char* pattern : {"(\\d+", "\\d+", "(?:\\d+)", "[z-a](1)"}) {
        EXPECT_THROW(PlaceFromName{pattern}, ResultsError) << pattern;
    }
}

TEST(MatchResults, RowsFindTheirDecksByPathAndTheRestAreToldInTheFilesOrder) {
    DeckFiles files;
    const std::uint32_t top = files.addFolder("/decks");
    const std::uint32_t sub = files.addFolder("/decks/T", "T/");
    for (const auto& [folder, name] : {std::pair{top, "1位_a.txt"}, {top, "b.txt"}, {sub, "c.txt"}, {top, "4位_d.txt"}}) {
        files.add(folder, name);
    }
    const std::vector<ResultRow> rows = {
        {2, "b.txt", {std::nullopt, 1, 2, 0}},
        {3, "x.txt", {}},
        {4, "T/c.txt", {3, 0, 0, 1}},
        {5, "", {}},
        {6, "4位_d.txt", {std::nullopt, 0, 1, 0}},
        {7, "c.txt", {}},
        {8, "1位_a.txt", {7, 0, 0, 0}},
    };
    const PlaceFromName pattern("^(\\d+)位");
    const RunResults results = matchResults(rows, &pattern, files);
    ASSERT_EQ(results.decks.size(), 4u);
    EXPECT_EQ(results.decks[0]->place, 7);  // the file's place wins over the name's
    EXPECT_EQ(results.decks[1]->losses, 2);
    EXPECT_FALSE(results.decks[1]->place);
    EXPECT_EQ(results.decks[2]->place, 3);
    EXPECT_EQ(results.decks[3]->place, 4);  // no place in the row: the name's
    EXPECT_EQ(results.decks[3]->losses, 1);
    EXPECT_EQ(results.withResult, 4);
    EXPECT_EQ(results.withPlace, 3);
    ASSERT_EQ(results.unmatched.size(), 3u);
    EXPECT_EQ(results.unmatched[0].line, 3u);
    EXPECT_EQ(results.unmatched[0].message, "集計するデッキにないファイルの成績です: 「x.txt」");
    EXPECT_EQ(results.unmatched[1].line, 5u);
    EXPECT_EQ(results.unmatched[2].line, 7u);

    const RunResults namesOnly = matchResults({}, &pattern, files);
    EXPECT_EQ(namesOnly.withResult, 2);
    EXPECT_FALSE(namesOnly.decks[1]);
}

// The figures of a card held by the decks `held` among `all`, worked out by
// hand; win rates and their intervals in hundredths of a percent.
TEST(ResultFigures, WorkedByHand) {
    using Opt = std::optional<std::int64_t>;
    const Opt none;
    struct Case {
        const char* what;
        ResultSums held;  // decks, wins, losses, draws, placed, top
        ResultSums all;
        Opt rate, low, high, without, adoption, conversion;
        bool small;
    };
    const Case cases[] = {
        // 7 of 10 games: the Wilson interval is 39.68 to 89.22.
        {"a plain record", {4, 7, 3, 0, 4, 2}, {8, 12, 8, 0, 8, 4}, 7000, 3968, 8922, 5000, 5000, 100, false},
        {"no games", {3, 0, 0, 0, 3, 1}, {6, 2, 2, 0, 6, 2}, none, none, none, 5000, 5000, 100, false},
        // Half a point each: 50 %, and the interval of 2 in 4.
        {"only draws", {2, 0, 0, 4, 0, 0}, {5, 3, 1, 4, 0, 0}, 5000, 1500, 8500, 7500, none, none, true},
        // Nothing left without the card.
        {"every deck holds it", {5, 6, 6, 0, 4, 2}, {5, 6, 6, 0, 4, 2}, 5000, 2538, 7462, none, 10000, 100, false},
        {"an empty top cut", {2, 4, 2, 0, 2, 0}, {5, 6, 6, 0, 4, 0}, 6667, 3000, 9032, 3333, none, none, true},
        {"places without records", {2, 0, 0, 0, 2, 1}, {4, 0, 0, 0, 4, 2}, none, none, none, none, 5000, 100, true},
        {"records without places", {2, 5, 1, 0, 0, 0}, {4, 6, 6, 0, 0, 0}, 8333, 4365, 9699, 1667, none, none, true},
        // Held by placed decks none of which made the top cut.
        {"no deck of the card in the top cut", {1, 1, 2, 0, 1, 0}, {5, 6, 6, 0, 4, 2}, 3333, 615, 7923, 5556, 0, 0, true},
        {"held by no deck", {}, {5, 6, 6, 0, 4, 2}, none, none, none, 5000, 0, none, true},
        // 3 of 4 top decks over 3 of 9 placed decks: 75 % of the top cut, 2.25 times its share.
        {"a conversion from the exact fractions", {3, 3, 0, 0, 3, 3}, {9, 3, 3, 0, 9, 4}, 10000, 4385, 10000, 0,
         7500, 225, false},
        // 1 of 3 top decks over 2 of 3 placed: 33.33 % over 66.67 %, exactly 0.5.
        {"a conversion below one", {2, 1, 1, 0, 2, 1}, {3, 1, 1, 0, 3, 3}, 5000, 945, 9055, none, 3333, 50, true},
    };
    for (const Case& c : cases) {
        const ResultFigures figures = resultFigures(c.held, c.all, 3);
        EXPECT_EQ(figures.resultDecks, c.held.decks) << c.what;
        EXPECT_EQ(figures.winRate, c.rate) << c.what;
        EXPECT_EQ(figures.winRateLow, c.low) << c.what;
        EXPECT_EQ(figures.winRateHigh, c.high) << c.what;
        EXPECT_EQ(figures.winRateWithout, c.without) << c.what;
        EXPECT_EQ(figures.topDecks, c.held.top) << c.what;
        EXPECT_EQ(figures.topAdoption, c.adoption) << c.what;
        EXPECT_EQ(figures.conversion, c.conversion) << c.what;
        EXPECT_EQ(figures.smallSample, c.small) << c.what;
    }
}

TEST(ResultFigures, ARateHalfwayRoundsAwayFromZero) {
    // 1 win in 8 games: 12.5 %; 1 win and 1 draw in 16: 9.375 %, shown 9.38.
    EXPECT_EQ(winRateOf({1, 1, 7, 0, 0, 0})->rate, 1250);
    EXPECT_EQ(winRateOf({1, 1, 14, 1, 0, 0})->rate, 938);
}

}  // namespace
}  // namespace sormel
