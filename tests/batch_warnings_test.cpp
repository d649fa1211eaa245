// Warnings in the batch mode: one line each on standard error, the first 20
// and a count of the rest, a summary of the formats read, and --strict.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace sormel {
namespace {

using testing::ProgramResult;
using testing::readFile;
using testing::runProgram;
using testing::ScratchFolder;
using testing::shellQuoted;

class BatchWarnings : public ::testing::Test {
protected:
    ProgramResult run(const std::string& arguments) {
        return runProgram(std::string(SORMEL_CHECKER_PATH) + " --batch " + shellQuoted(decks.path()) +
                              " --encoding utf-8 " + arguments,
                          scratch);
    }
    ScratchFolder scratch;
    ScratchFolder decks;
};

TEST_F(BatchWarnings, EachNamesFileAndLineInReadingOrderAndTheSummaryFollows) {
    decks.write("a.txt", "[Main]\n4 Bolt\n[Creatures]\n4 Goblin\n");
    decks.write("b.txt", "Count,Name\nfour,Bolt\n1,Shock\n");
    decks.write("c.txt", "About\n");
    const ProgramResult result = run("");
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string folder = decks.path().string() + "/";
    EXPECT_EQ(result.err, folder + "a.txt:3: 警告: 見出し [Creatures] の下の行は数えません。\n" + folder +
                              "b.txt:2: 警告: 枚数が 1 以上の整数ではないので、この行は数えません: four\n" + folder +
                              "c.txt: 警告: カードが 1 枚もありません（デッキ数には数えます）。\n"
                              "読み込み: native 1, list 1, csv 1 / 警告 3 件\n");
    EXPECT_NE(result.out.find("\"Shock\""), std::string::npos);
}

TEST_F(BatchWarnings, OnlyTheFirstTwentyAreShownAndTheRestCounted) {
    std::string rows = "Count,Name\n";
    for (int i = 0; i < 25; ++i) rows += "x,Card\n";  // and no card: 26 warnings
    decks.write("a.csv", rows);
    const ProgramResult result = run("--mask '*.csv'");
    EXPECT_EQ(result.status, 0);
    std::size_t lines = 0;
    for (const char c : result.err) lines += c == '\n' ? 1 : 0;
    EXPECT_EQ(lines, 20u + 2u) << result.err;
    EXPECT_NE(result.err.find("a.csv:21: "), std::string::npos);
    EXPECT_EQ(result.err.find("a.csv:22: "), std::string::npos);
    EXPECT_NE(result.err.find("ほかに警告が 6 件あります。\n読み込み: csv 1 / 警告 26 件\n"), std::string::npos) << result.err;
}

TEST_F(BatchWarnings, StrictFailsOnAnyWarningAndWritesNothing) {
    decks.write("a.txt", "4 Bolt\n");
    const auto output = scratch.write("old.csv", "old");
    EXPECT_EQ(run("--strict --output " + shellQuoted(output)).status, 0);
    EXPECT_NE(readFile(output), "old");

    scratch.write("old.csv", "old");
    decks.write("b.txt", "Deck\n[Creatures]\n4 Goblin\n");
    ProgramResult result = run("--strict --output " + shellQuoted(output));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(readFile(output), "old");
    EXPECT_NE(result.err.find("b.txt:2: 警告: "), std::string::npos) << result.err;
    result = run("--strict");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    // One format and no warning: nothing but the CSV.
    decks.write("b.txt", "2 Shock\n");
    result = run("--strict");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
}

}  // namespace
}  // namespace sormel
