// Warnings in the batch mode: one line each on standard error, the first 20
// and a count of the rest, a summary of the formats read, and --strict.
#include <gtest/gtest.h>

#include <string>

#include "program_test.h"

namespace sormel {
namespace {

using testing::ProgramResult;
using testing::readFile;
using testing::ScratchFolder;
using testing::shellQuoted;

// The batch mode on the decks a test writes, the CSV in UTF-8.
class BatchWarnings : public testing::ProgramTest {
protected:
    ProgramResult onDecks(const std::string& arguments) { return batchOn(decks.path(), "--encoding utf-8 " + arguments); }
};

TEST_F(BatchWarnings, EachNamesFileAndLineInReadingOrderAndTheSummaryFollows) {
    decks.write("a.txt", "[Main]\n4 Bolt\n[Creatures]\n4 Goblin\n");
    decks.write("b.txt", "Count,Name\nfour,Bolt\n1,Shock\n");
    decks.write("c.txt", "About\n");
    const ProgramResult result = onDecks("");
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
    const ProgramResult result = onDecks("--mask '*.csv'");
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
    EXPECT_EQ(onDecks("--strict --output " + shellQuoted(output)).status, 0);
    EXPECT_NE(readFile(output), "old");

    scratch.write("old.csv", "old");
    decks.write("b.txt", "Deck\n[Creatures]\n4 Goblin\n");
    ProgramResult result = onDecks("--strict --output " + shellQuoted(output));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(readFile(output), "old");
    EXPECT_NE(result.err.find("b.txt:2: 警告: "), std::string::npos) << result.err;
    result = onDecks("--strict");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    // One format and no warning: nothing but the CSV.
    decks.write("b.txt", "2 Shock\n");
    result = onDecks("--strict");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
}

}  // namespace
}  // namespace sormel
