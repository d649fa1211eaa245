// Deck types named by a rules file, as a user runs the batch mode: where
// the types show, what is bad usage, and what the side part does.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "program_test.h"

namespace sormel {
namespace {

using testing::ProgramResult;
using testing::readFile;
using testing::shellQuoted;
using testing::ScratchFolder;

class TypesBatch : public testing::ProgramTest {
protected:
    ProgramResult onDecks(const std::string& arguments) { return batchOn(decks.path(), arguments); }
    std::string rules(const std::string& text) { return shellQuoted(scratch.write("rules.toml", text)); }
    nlohmann::json report(const std::string& arguments) {
        const auto file = scratch.path() / "r.json";
        const ProgramResult result = onDecks(arguments + " --report " + shellQuoted(file));
        EXPECT_EQ(result.status, 0) << result.err;
        return nlohmann::json::parse(readFile(file));
    }
};

const char* const kTwoTypes = "similarity = 0.5\n"
                              "[[type]]\nname = \"Dragon\"\nall = [\"D-1\"]\n"
                              "[[type]]\nname = \"Angel\"\nall = [\"A-1\"]\nside_none = [\"S-9\"]\n";

TEST_F(TypesBatch, TypesShowInTheRulesOrderWithEveryDeckInTheDeckList) {
    decks.write("1.txt", "4,A-1,angel\n2,X-1,x\n");
    decks.write("2.txt", "4,D-1,dragon\n");
    decks.write("3.txt", "3,D-1,dragon\n2,X-2,y\n");
    decks.write("4.txt", "4,X-1,x\n1,A-1,angel\n--\n1,S-9,side\n");  // misses Angel: like it
    decks.write("5.txt", "4,Q-1,q\n");
    const nlohmann::json json = report(" --types " + rules(kTwoTypes) + " --no-side");
    EXPECT_EQ(json["decks"], 5);
    ASSERT_EQ(json["types"].size(), 3u);
    EXPECT_EQ(json["types"][0]["name"], "Dragon");
    EXPECT_EQ(json["types"][0]["decks"], 2);
    EXPECT_EQ(json["types"][1]["name"], "Angel");  // the rules' order, though it has as many decks
    EXPECT_EQ(json["types"][1]["decks"], 2);
    for (const nlohmann::json& card : json["types"][1]["cards"]) {
        if (card["number"] == "A-1") {
            EXPECT_EQ(card["copies"], 5);  // the similar deck's copies join the type
        }
    }
    EXPECT_EQ(json["types"][2]["name"], "分類なし");
    const nlohmann::json& list = json["deck_list"];
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0], nlohmann::json::parse(R"({"file":"1.txt","type":"Angel","how":"rule","similarity":null})"));
    EXPECT_EQ(list[3]["how"], "similar");
    EXPECT_EQ(list[3]["type"], "Angel");
    // Angel's mean is its one rule-named deck, (A-1, X-1) = (4, 2); the deck is (1, 4).
    EXPECT_EQ(list[3]["similarity"], 0.6508);  // 12 / (√20 · √17), rounded
    EXPECT_EQ(list[4]["how"], "none");
    EXPECT_EQ(list[4]["type"], "分類なし");
}

TEST_F(TypesBatch, SideConditionsReadTheSidePartEvenWhenItDoesNotCount) {
    decks.write("1.txt", "4,A-1,angel\n--\n1,S-9,side\n");
    decks.write("2.txt", "4,A-1,angel\n--\nx,S-9,side\n1,S-8,other\n");  // a side line that is no card line
    const std::string types = rules("[[type]]\nname = \"Angel\"\nall = [\"A-1\"]\nside_none = [\"S-9\"]\n");
    for (const char* side : {"", " --no-side"}) {
        const nlohmann::json json = report(" --types " + types + side);
        EXPECT_EQ(json["deck_list"][0]["type"], "分類なし") << side;
        EXPECT_EQ(json["deck_list"][1]["type"], "Angel") << side;
    }
    const ProgramResult shown = onDecks(" --types " + types + " --no-side --show-skipped");
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.err.find("S-9"), std::string::npos) << shown.err;  // side lines are not listed
}

TEST_F(TypesBatch, UncountedSideLinesNeverStopTheRunAndCardsAreNamedByTheRowsKey) {
    // A count no table can hold stops a run that counts it, not one that
    // only looks at the side part for the rules.
    decks.write("1.txt", "4,A-1,angel\n--\n1e400,S-9,side\n1,S-8,x\n");
    const std::string types = rules("[[type]]\nname = \"Side\"\nside_all = [\"S-8\"]\n"
                                    "[[type]]\nname = \"Named\"\nall = [\"angel\"]\n");
    EXPECT_EQ(report(" --types " + types + " --no-side")["deck_list"][0]["type"], "Side");
    EXPECT_EQ(onDecks(" --types " + types).status, 1);
    const std::string byName = rules("[[type]]\nname = \"Named\"\nall = [\"angel\"]\n");
    EXPECT_EQ(report(" --types " + byName + " --no-side --merge-by-name")["deck_list"][0]["type"], "Named");
    EXPECT_EQ(report(" --types " + byName + " --no-side")["deck_list"][0]["type"], "分類なし");
}

TEST_F(TypesBatch, ABadRulesFileIsBadUsageBeforeAnyDeckIsRead) {
    // No deck file at all: the rules are refused before the folder is listed.
    const ProgramResult bad = onDecks(" --types " + rules("[[type]]\nname = \"a\"\nalll = [\"X\"]\n"));
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("rules.toml:3: 不明なキーです: 「alll」"), std::string::npos) << bad.err;
    EXPECT_EQ(onDecks(" --types " + shellQuoted(scratch.path() / "missing.toml")).status, 2);
    decks.write("1.txt", "1,A-1,a\n");
    const ProgramResult both = onDecks(" --by-folder --types " + rules(kTwoTypes));
    EXPECT_EQ(both.status, 2);
    EXPECT_NE(both.err.find("--by-folder"), std::string::npos);
}

TEST_F(TypesBatch, ACardNoDeckHoldsIsAWarningAtEachPlaceItIsNamed) {
    decks.write("1.txt", "4,A-1,angel\n--\n1,S-1,s\n");
    ScratchFolder before;
    before.write("1.txt", "1,B-1,b\n");
    const std::string types = rules("[[type]]\nname = \"a\"\nall = [\"A-1\", \"TYPO\"]\nside_any = [\"S-1\", \"B-1\"]\n"
                                    "[[type]]\nname = \"b\"\nnone = [\"TYPO\"]\n");
    const ProgramResult result = onDecks(" --types " + types + " --compare " + shellQuoted(before.path()));
    EXPECT_EQ(result.status, 0);
    const std::string path = (scratch.path() / "rules.toml").string();
    EXPECT_EQ(result.err, path + ":3: 警告: どのデッキにもないカードです: TYPO\n" + path +
                              ":7: 警告: どのデッキにもないカードです: TYPO\n");
}

TEST_F(TypesBatch, AverageDecksAndTheWorkbookPerTypeNamed) {
    decks.write("1.txt", "4,A-1,angel\n");
    decks.write("2.txt", "4,D-1,dragon\n");
    ScratchFolder averages;
    const auto book = scratch.path() / "r.xlsx";
    const ProgramResult result = onDecks(" --types " + rules(kTwoTypes + std::string("[[type]]\nname = \"Empty\"\n")) +
                                     " --average-deck " + shellQuoted(averages.path()) + " --report " +
                                     shellQuoted(book));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(averages.path() / "全体.txt"));
    EXPECT_EQ(readFile(averages.path() / "デッキタイプ" / "Angel.txt"), "4,A-1,angel\r\n");
    EXPECT_TRUE(std::filesystem::exists(averages.path() / "デッキタイプ" / "Dragon.txt"));
    // A type no deck is of has no average deck (nor a sheet).
    EXPECT_FALSE(std::filesystem::exists(averages.path() / "デッキタイプ" / "Empty.txt"));
    EXPECT_FALSE(std::filesystem::exists(averages.path() / "デッキタイプ" / "分類なし.txt"));
    EXPECT_TRUE(std::filesystem::exists(book));
}

}  // namespace
}  // namespace sormel
