// Deck results in the batch mode: the figures of cards and deck types in
// the reports, worked out by hand for a small event, the warnings for rows
// naming no deck, and the results that are refused before any deck is read.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

#include "program_test.h"

namespace sormel {
namespace {

using testing::ProgramResult;
using testing::readFile;

using Json = nlohmann::ordered_json;

// Six decks in two type folders and the folder itself: X is in every deck,
// S in the side part of d1 and the main part of d5. d4 has no result, d5 a
// place without games, d6 games without a place.
class ResultsBatch : public testing::ProgramTest {
protected:
    void SetUp() override {
        std::filesystem::create_directories(decks.path() / "A");
        std::filesystem::create_directories(decks.path() / "B");
        decks.write("A/d1.txt", "1,X,x\n1,A,a\n1,B,b\n--\n1,S,s\n");
        decks.write("A/d2.txt", "1,X,x\n1,A,a\n");
        decks.write("B/d3.txt", "1,X,x\n1,B,b\n");
        decks.write("B/d4.txt", "1,X,x\n1,A,a\n1,B,b\n");
        decks.write("d5.txt", "1,X,x\n1,C,c\n1,S,s\n");
        decks.write("d6.txt", "1,X,x\n4,A,a\n");
        results = scratch.write("results.csv",
                                "file,place,wins,losses,draws\n"
                                "A/d1.txt,1,3,0,0\n"
                                "A/d2.txt,2,2,1,0\n"
                                "B/d3.txt,5,1,2,0\n"
                                "d5.txt,3,,,\n"
                                "d6.txt,,0,3,0\n"
                                "gone.txt,4,1,1,0\n");
    }

    ProgramResult withReport(const std::string& report, const std::string& arguments) {
        return batchOn(decks.path(), "--by-folder --results " + q(results) + " --top 2 --min-decks 3 --report " +
                                         q(at(report)) + " " + arguments);
    }

    static const Json& card(const Json& json, const std::string& number) {
        for (const Json& card : json["cards"]) {
            if (card["number"] == number) return card;
        }
        static const Json none;
        return none;
    }

    std::filesystem::path results;
};

// What a card or type's results members hold, in order, as one line.
std::string figures(const Json& object) {
    std::string text;
    for (const char* key : {"result_decks", "win_rate", "win_rate_low", "win_rate_high", "win_rate_without",
                            "top_decks", "top_adoption", "conversion", "small_sample"}) {
        text += (text.empty() ? "" : " ") + (object.contains(key) ? object[key].dump() : std::string("missing"));
    }
    return text;
}

TEST_F(ResultsBatch, CardsAndTypesGetTheirFiguresWorkedByHand) {
    const ProgramResult result = withReport("r.json", "");
    ASSERT_EQ(result.status, 0) << result.err;
    const Json json = Json::parse(readFile(at("r.json")));
    EXPECT_EQ(json["results"].dump(), R"({"decks_with_result":5,"decks_with_place":4,"top":2,"min_decks":3})");
    // R: d1 d2 d3 d5 d6, 6 wins and 6 losses; places 1 2 5 3; the top cut d1 d2.
    EXPECT_EQ(figures(card(json, "X")), "5 50 25.38 74.62 null 2 100 1 false");        // held by every deck
    EXPECT_EQ(figures(card(json, "A")), "3 55.56 26.67 81.12 33.33 2 100 2 false");    // d1 d2 d6
    EXPECT_EQ(figures(card(json, "B")), "2 66.67 30 90.32 33.33 1 50 1 true");         // d1 d3
    EXPECT_EQ(figures(card(json, "C")), "1 null null null 50 0 0 0 true");             // d5: no games
    EXPECT_EQ(figures(card(json, "S")), "2 100 43.85 100 33.33 1 50 1 true");          // d1 (side) d5
    ASSERT_EQ(json["types"].size(), 3u);
    EXPECT_EQ(json["types"][0]["name"], "A");
    EXPECT_EQ(figures(json["types"][0]), "2 83.33 43.65 96.99 16.67 2 100 2 true");
    EXPECT_EQ(json["types"][1]["name"], "B");
    EXPECT_EQ(figures(json["types"][1]), "1 33.33 6.15 79.23 55.56 0 0 0 true");  // d4 has no result
    EXPECT_EQ(figures(json["types"][2]), "2 0 0 56.15 66.67 0 0 0 true");          // d5 d6
    // A type's own cards have no results figures.
    EXPECT_EQ(figures(card(json["types"][0], "A")), "missing missing missing missing missing missing missing missing missing");
}

TEST_F(ResultsBatch, ACardInTheSidePartOnlyIsNotHeldWhenTheSideIsLeftOut) {
    ASSERT_EQ(withReport("r.json", "--no-side").status, 0);
    const Json json = Json::parse(readFile(at("r.json")));
    EXPECT_EQ(figures(card(json, "S")), "1 null null null 50 0 0 0 true");  // d5 only
    EXPECT_EQ(figures(card(json, "B")), "2 66.67 30 90.32 33.33 1 50 1 true");
}

TEST_F(ResultsBatch, ARowNamingNoDeckIsTheFirstWarningAndCountsWithTheOthers) {
    decks.write("d7.txt", "[Creatures]\n1 Goblin\n");
    ProgramResult result = withReport("r.json", "");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string first = results.string() + ":7: 警告: 集計するデッキにないファイルの成績です: 「gone.txt」\n";
    EXPECT_EQ(result.err.substr(0, first.size()), first) << result.err;
    EXPECT_NE(result.err.find("d7.txt:1: 警告: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("/ 警告 3 件"), std::string::npos) << result.err;

    result = withReport("r.json", "--strict");
    EXPECT_EQ(result.status, 1) << result.err;
}

TEST_F(ResultsBatch, TheReportCsvHasTheColumnsAfterTheComparisonsAndTheTypesCardsLeaveThemEmpty) {
    testing::ScratchFolder before;
    before.write("old.txt", "1,A,a\n");
    ASSERT_EQ(withReport("r.csv", "--compare " + q(before.path())).status, 0);
    const std::string csv = readFile(at("r.csv"));
    const std::string header = csv.substr(0, csv.find("\r\n"));
    const std::string tail = "\"順位\",\"前回順位\",\"状態\",\"成績デッキ\",\"勝率(%)\",\"下限(%)\",\"上限(%)\","
                             "\"非採用勝率(%)\",\"上位デッキ\",\"上位採用(%)\",\"上位進出率\"";
    EXPECT_EQ(header.substr(header.size() - tail.size()), tail) << header;
    EXPECT_NE(csv.find(",3,55.56,26.67,81.12,33.33,2,100,2\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\"A\",\"A\",\"a\""), std::string::npos);  // the type A's row of card A …
    const std::size_t typeRow = csv.find("\"A\",\"A\",\"a\"");
    EXPECT_EQ(csv.substr(csv.find("\r\n", typeRow) - 8, 8), ",,,,,,,,");  // … without results
}

TEST_F(ResultsBatch, WithoutResultsNoReportHasThem) {
    ASSERT_EQ(batchOn(decks.path(), "--by-folder --report " + q(at("r.json")) + " --report " + q(at("r.csv"))).status, 0);
    const std::string json = readFile(at("r.json"));
    for (const char* key : {"\"results\"", "win_rate", "small_sample", "top_decks"}) {
        EXPECT_EQ(json.find(key), std::string::npos) << key;
    }
    EXPECT_EQ(readFile(at("r.csv")).find("勝率"), std::string::npos);
}

TEST_F(ResultsBatch, BadResultsAreRefusedBeforeAnyDeckIsRead) {
    decks.write("d7.txt", "[Creatures]\n1 Goblin\n");  // would warn if read
    const auto bad = scratch.write("bad.csv", "file,place\nA/d1.txt,1\nA/d2.txt,x\n");
    const auto twice = scratch.write("twice.csv", "file,wins,losses\nA/d1.txt,1,0\nA/d1.txt,0,1\n");
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"--top 3", "--top は --results か --place-from-name と一緒に指定してください。"},
        {"--min-decks 5", "--min-decks は --results か --place-from-name と一緒に指定してください。"},
        {"--results " + q(bad) + " --top 0", "--top には 1 から 1000 までの整数を指定してください: 0"},
        {"--results " + q(bad) + " --min-decks 1000001", "--min-decks には 1 から 1000000 までの整数を指定してください"},
        {"--results " + q(bad), bad.string() + ":3: place（順位）には 1 から 2147483647 までの整数を書いてください: 「x」"},
        {"--results " + q(twice), twice.string() + ":3: 同じファイルの成績が 2 回あります（2 行目にもあります）"},
        {"--results " + q(scratch.path() / "none.csv"), "成績ファイルを読めません。"},
        {"--place-from-name '\\d+'", "に順位を取り出すグループ（( ) で囲んだ部分）がありません。"},
        {"--place-from-name '(\\d+'", "は正しくありません。"},
    };
    for (const Case& c : cases) {
        const ProgramResult result =
            batchOn(decks.path(), "--by-folder --report " + q(at("r.json")) + " " + c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.arguments << "\n" << result.err;
        EXPECT_EQ(result.err.find("d7.txt"), std::string::npos) << c.arguments;
        EXPECT_FALSE(std::filesystem::exists(at("r.json"))) << c.arguments;
    }
}

}  // namespace
}  // namespace sormel
