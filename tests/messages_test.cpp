// What the program says, as a user sees it: text from decks and file names
// cannot act on the terminal, system errors read in Japanese, the help
// lists every option, and a library's own lines come with an explanation.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "engine/file_error.h"
#include "engine/visible_text.h"
#include "program_test.h"

namespace sormel {
namespace {

using testing::ProgramResult;
using testing::readFile;
using testing::runProgram;
using testing::ScratchFolder;
using testing::shellQuoted;

const std::string kProgram = SORMEL_CHECKER_PATH;

// No byte a terminal acts on: C0 but tab and line feed, DEL, and C1 (as UTF-8).
std::string firstControlCharacter(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\t' && byte != '\n') || byte == 0x7F) return "byte " + std::to_string(byte);
        if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) return "C1";
    }
    return "";
}

TEST(Messages, ControlCharactersAreShownAsEscapes) {
    struct Case {
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x7f\x01\x1f", "\\x7f\\x01\\x1f"},
        {"line\nfake\r", "line\\x0afake\\x0d"},
        {"\xC2\x80\xC2\x9B" "2J\xC2\x9F", "\\u0080\\u009b2J\\u009f"},
        {"tab\tstays", "tab\tstays"},
        {"\xC2\xA0\xC2\xA9 \xE3\x81\x82 \xF0\x9F\x83\x8F", "\xC2\xA0\xC2\xA9 \xE3\x81\x82 \xF0\x9F\x83\x8F"},
        {"back\\slash", "back\\slash"},
    };
    for (const Case& c : cases) EXPECT_EQ(visibleText(c.text), c.shown) << c.shown;
}

TEST(Messages, EverySystemErrorReadsInJapanese) {
    for (int error = 1; error < 134; ++error) {
        const std::string text = describeSystemError(error);
        EXPECT_EQ(text.find(std::strerror(error)), std::string::npos) << error << ": " << text;
        EXPECT_TRUE(static_cast<unsigned char>(text[0]) >= 0x80) << error << ": " << text;
    }
}

using MessagesFromRuns = testing::ProgramTest;

TEST_F(MessagesFromRuns, DeckTextFileNamesAndCardNumbersCannotActOnTheTerminal) {
    decks.write("a.txt", std::string("\x1b]0;owned\x07\n\x1b[2J\n3,AB,x\n\0\xC2\x9B" "31m\n", 30));
    ProgramResult result = run("--batch " + shellQuoted(decks.path()) + " --show-skipped --encoding utf-8");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(firstControlCharacter(result.err), "") << result.err;
    EXPECT_NE(result.err.find("a.txt:1: \\x1b]0;owned\\x07"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("a.txt:4: \\x00\\u009b31m"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "\"AB\",\"x\",1,3,100,100\r\n");  // the CSV is the table as it is

    // A card number too large to count, in a file whose name holds escapes.
    ScratchFolder other;
    other.write("evil\x1b[1A\n.txt", "2147483647,\x1b[31mAB,x\n1,\x1b[31mAB,x\n");
    result = run("--batch " + shellQuoted(other.path()));
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(firstControlCharacter(result.err), "") << result.err;
    EXPECT_NE(result.err.find("evil\\x1b[1A\\x0a.txt"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("\\x1b[31mAB"), std::string::npos) << result.err;

    result = run("--batch " + shellQuoted(decks.path()) + " --sort $'\\x1b[2J'");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(firstControlCharacter(result.err), "") << result.err;
}

TEST_F(MessagesFromRuns, TheHelpsSynopsisListsEveryOptionItDescribes) {
    const ProgramResult result = run("--help");
    ASSERT_EQ(result.status, 0);
    const std::size_t options = result.out.find("オプション:");
    ASSERT_NE(options, std::string::npos);
    const std::string synopsis = result.out.substr(0, options);
    std::size_t described = 0;
    for (std::size_t at = result.out.find("\n  ", options); at != std::string::npos;
         at = result.out.find("\n  ", at + 1)) {
        const std::size_t start = result.out.find("--", at);
        if (start == std::string::npos || start > result.out.find('\n', at + 1)) continue;
        const std::string name = result.out.substr(start, result.out.find(' ', start) - start);
        if (name == "--help" || name == "--version" || name == "--batch") continue;
        ++described;
        EXPECT_NE(synopsis.find("[" + name), std::string::npos) << name << "\n" << synopsis;
    }
    EXPECT_GE(described, 13u);
    for (std::size_t start = 0, end = 0; (end = synopsis.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = synopsis.substr(start, end - start);
        if (line.find("[--") != std::string::npos) {
            EXPECT_LE(line.size(), 80u) << line;
        }
    }
}

TEST_F(MessagesFromRuns, AWorkbookOfManySheetsNeedsNoFileOfItsOwnPerSheet) {
    // Each sheet goes to the report as it is finished: forty types' sheets
    // are written with few descriptors allowed.
    for (int i = 0; i < 40; ++i) {
        const std::string type = "T" + std::to_string(i);
        std::filesystem::create_directory(decks.path() / type);
        decks.write(type + "/d.txt", "1,A,a\n");
    }
    const ProgramResult result =
        runProgram("ulimit -n 24; " + kProgram + " --batch " + shellQuoted(decks.path()) + " --by-folder --report " +
                       shellQuoted(scratch.path() / "r.xlsx"),
                   scratch);
    EXPECT_EQ(result.status, 0) << result.err;
    const ProgramResult listed = runProgram("unzip -l " + shellQuoted(scratch.path() / "r.xlsx"), scratch);
    EXPECT_NE(listed.out.find("xl/worksheets/sheet44.xml"), std::string::npos) << listed.out;
}

TEST_F(MessagesFromRuns, APipeGivenByNameIsWrittenDirectly) {
    decks.write("a.txt", "3,AB,x\n");
    const std::filesystem::path status = scratch.path() / "status";
    const ProgramResult result =
        runProgram("{ (" + kProgram + " --batch " + shellQuoted(decks.path()) +
                       " --encoding utf-8 --output /dev/stdout; echo $? >" + shellQuoted(status) + ") | head -c 6; }",
                   scratch);
    EXPECT_EQ(result.out, "\"AB\",\"");
    EXPECT_EQ(readFile(status), "0\n");
}

}  // namespace
}  // namespace sormel
