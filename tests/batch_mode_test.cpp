// The batch mode as a user runs it: the real program, its output, its
// messages and its exit status.

#include <gtest/gtest.h>

#include <regex>

#include "program_test.h"

namespace sormel {
namespace {

using testing::ProgramResult;
using testing::readFile;
using testing::runProgram;
using testing::shellQuoted;
using testing::ScratchFolder;

const std::filesystem::path kGolden = SORMEL_GOLDEN_DIR;

using BatchMode = testing::ProgramTest;

TEST_F(BatchMode, WritesTheCsvToStandardOutputOrAFile) {
    ProgramResult result = run("--batch " + q(kGolden / "decks"));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, readFile(kGolden / "expected-cp932.csv"));
    // The line without a card number is counted, and the user is told.
    EXPECT_EQ(result.err, (kGolden / "decks" / "b.txt").string() +
                              ":4: 警告: カード番号が空です。\n読み込み: native 2 / 警告 1 件\n");

    const auto output = decks.path() / "結果.csv";
    result = run("--batch " + q(kGolden / "decks") + " --encoding utf-8 --output " + q(output));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(readFile(output), readFile(kGolden / "expected-utf8.csv"));
}

TEST_F(BatchMode, OptionsForTheSidePartTheSortAndTheMask) {
    decks.write("a.TXT", "3,AB-001,a\n--\n3,AB-002,b\n");
    decks.write("b.deck", "1,AB-001,a\n1,AB-003,c\n1,AB-003,c\n");
    decks.write("c.csv", "9,AB-009,never read\n");
    ProgramResult result = run("--batch " + q(decks.path()) + " --mask '*.txt;*.DECK' --encoding utf-8");
    EXPECT_EQ(result.out,
              "\"AB-001\",\"a\",2,4,100,66.67\r\n"
              "\"AB-002\",\"b\",1,3,50,50\r\n"
              "\"AB-003\",\"c\",1,2,50,33.33\r\n");
    result = run("--batch " + q(decks.path()) + " --mask '*.txt;*.deck' --no-side --sort copies --encoding utf-8");
    EXPECT_EQ(result.out,
              "\"AB-001\",\"a\",2,4,100,66.67\r\n"
              "\"AB-003\",\"c\",1,2,50,33.33\r\n");
}

TEST_F(BatchMode, NoMatchingFileIsAnError) {
    const ProgramResult result = run("--batch " + q(decks.path()));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "集計対象ファイルがありません。\n");
    EXPECT_EQ(result.out, "");
}

TEST_F(BatchMode, AnErrorDuringTheRunNamesFileAndLineAndLeavesTheOutputAlone) {
    decks.write("a.txt", "1,AB-001,a\n");
    decks.write("b.txt", "# header\n1E400,AB-002,b\n");
    const auto output = scratch.path() / "out.csv";
    ProgramResult result = run("--batch " + q(decks.path()) + " --output " + q(output));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("b.txt（2 行目）"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(output));

    scratch.write("out.csv", "previous result");
    result = run("--batch " + q(decks.path()) + " --output " + q(output));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(readFile(output), "previous result");
}

// An output that cannot be written is found before anything is read.
TEST_F(BatchMode, AnUnwritableOutputIsBadUsage) {
    decks.write("a.txt", "1,AB-001,a\n");
    const ProgramResult result = run("--batch " + q(decks.path()) + " --output " + q(scratch.path() / "no" / "x.csv"));
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("x.csv"), std::string::npos) << result.err;
}

TEST_F(BatchMode, BadUsageExitsWithTwo) {
    for (const std::string arguments : {"--batch", "--batch . --sort names", "--batch . --encoding latin1",
                                        "--batch . --frobnicate", "--batch . extra", "--batch . --mask 'a/*.txt'"}) {
        const ProgramResult result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_NE(result.err, "") << arguments;
    }
}

TEST_F(BatchMode, AnOptionGivenTwiceIsAUsageErrorAndNothingIsWritten) {
    decks.write("a.txt", "1,AB-001,a\n");
    const std::string folder = q(decks.path());
    const std::string first = q(scratch.path() / "first.csv");
    const std::string second = q(scratch.path() / "second.csv");
    for (const std::string& arguments :
         {"--batch " + folder + " --output " + first + " --output " + second,
          "--batch " + folder + " --output=" + first + " --output " + second, "--batch " + folder + " --batch " + folder,
          "--batch " + folder + " --no-side --no-side", "--batch " + folder + " --sort decks --sort copies"}) {
        const ProgramResult result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_NE(result.err.find("2 回以上指定されています"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "") << arguments;
    }
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "first.csv"));
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "second.csv"));
}

// Without a display, bad usage and the window alike end with a message of
// ours, never Qt's abort; with a platform chosen, bad usage still never
// opens a window (a hang here would be a window waiting for its user).
TEST_F(BatchMode, BadUsageIsFoundBeforeAnyWindowIsTried) {
    for (const std::string environment : {"env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM",
                                          "env QT_QPA_PLATFORM=offscreen"}) {
        for (const std::string& arguments : {std::string("--bogus"), std::string("-x"), q(decks.path()) + " --mask '*.txt'",
                                            q(decks.path()) + " extra", std::string("--output a.csv")}) {
            const ProgramResult result = runProgram(
                "timeout 60 " + environment + " " + SORMEL_CHECKER_PATH + " " + arguments, scratch);
            EXPECT_EQ(result.status, 2) << environment << ' ' << arguments;
            EXPECT_NE(result.err.find("--help を参照してください"), std::string::npos) << result.err;
        }
    }
    const ProgramResult result = runProgram(
        "timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " SORMEL_CHECKER_PATH " " +
            q(decks.path()),
        scratch);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("画面がありません"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("--batch DIR"), std::string::npos) << result.err;
}

TEST_F(BatchMode, PathsThatAreNotUtf8KeepTheirBytes) {
    const std::filesystem::path folder = decks.path() / "bad\xFF" "dir";
    std::filesystem::create_directory(folder);
    testing::ScratchFolder::writeInto(folder / "a.txt", "1,AB-001,a\n");
    const std::filesystem::path output = scratch.path() / "\xFF\xFE.csv";
    const ProgramResult result = run("--batch " + q(folder) + " --encoding utf-8 --output " + q(output));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readFile(output), "\"AB-001\",\"a\",1,1,100,33.33\r\n");
    // Nothing was written under a name with replacement characters.
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "\xEF\xBF\xBD\xEF\xBF\xBD.csv"));
}

TEST_F(BatchMode, AnOutputThatIsOneOfTheDecksIsRefusedBeforeTheRun) {
    const std::string deck = "1,AB-001,a\n";
    const auto a = decks.write("a.txt", deck);
    decks.write("b.txt", deck);
    std::filesystem::create_symlink(a, scratch.path() / "link.csv");
    std::filesystem::create_hard_link(a, scratch.path() / "hard.csv");
    const std::filesystem::path sameFolderOtherSpelling = decks.path() / "." / "b.txt";
    for (const std::filesystem::path& output :
         {a, sameFolderOtherSpelling, scratch.path() / "link.csv", scratch.path() / "hard.csv"}) {
        const ProgramResult result = run("--batch " + q(decks.path()) + " --output " + q(output));
        EXPECT_EQ(result.status, 2) << output;
        EXPECT_NE(result.err.find("デッキファイルの一つです"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(output.filename().string()), std::string::npos) << result.err;
    }
    EXPECT_EQ(readFile(a), deck);
    EXPECT_EQ(readFile(decks.path() / "b.txt"), deck);
    EXPECT_TRUE(std::filesystem::is_symlink(scratch.path() / "link.csv"));
    // The decks of the folder compared with are decks of the run too.
    testing::ScratchFolder baseline;
    const auto c = baseline.write("c.txt", deck);
    std::filesystem::create_hard_link(c, scratch.path() / "hard-c.csv");
    for (const std::string& outputs : {"--output " + q(c), "--report " + q(scratch.path() / "hard-c.csv")}) {
        const ProgramResult result =
            run("--batch " + q(decks.path()) + " --compare " + q(baseline.path()) + " " + outputs);
        EXPECT_EQ(result.status, 2) << outputs;
        EXPECT_NE(result.err.find("デッキファイルの一つです"), std::string::npos) << result.err;
    }
    EXPECT_EQ(readFile(c), deck);
    // With --by-folder, the decks of each sub-folder are decks of the run.
    testing::ScratchFolder typed;
    std::filesystem::create_directory(typed.path() / "速攻");
    typed.write("loose.txt", deck);
    const auto typedDeck = typed.write("速攻/d.txt", deck);
    const ProgramResult byFolder = run("--batch " + q(typed.path()) + " --by-folder --output " + q(typedDeck));
    EXPECT_EQ(byFolder.status, 2) << byFolder.err;
    EXPECT_EQ(readFile(typedDeck), deck);
    // A deck the mask leaves out is no deck of this run.
    const ProgramResult other = run("--batch " + q(decks.path()) + " --mask 'a.*' --output " +
                                    q(decks.path() / "b.txt"));
    EXPECT_EQ(other.status, 0) << other.err;
}

TEST_F(BatchMode, HelpAndVersion) {
    ProgramResult result = run("--help");
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("--batch"), std::string::npos);
    result = run("--version");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(std::regex_match(result.out, std::regex("sormel-checker [0-9]+\\.[0-9]+\n"))) << result.out;
}

}  // namespace
}  // namespace sormel
