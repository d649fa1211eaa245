#include <gtest/gtest.h>

#include "export/atomic_file.h"
#include "export/csv_writer.h"
#include "engine/deck_listing.h"
#include "engine/tally_run.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::readFile;
using testing::ScratchFolder;

const std::filesystem::path kGolden = SORMEL_GOLDEN_DIR;

TEST(CsvFormat, MatchesTheGoldenFilesInBothEncodings) {
    UsageTable table;
    TallyHost host;
    const TallyResult result = runTally(table, listDeckFiles(kGolden / "decks", *FileMask::parse("*.txt")), {}, host);
    ASSERT_EQ(result.outcome, TallyOutcome::Completed) << result.message;
    EXPECT_EQ(formatCsv(table, CsvEncoding::Cp932), readFile(kGolden / "expected-cp932.csv"));
    EXPECT_EQ(formatCsv(table, CsvEncoding::Utf8), readFile(kGolden / "expected-utf8.csv"));
}

TEST(CsvFormat, TheBlankRowAndUncomputedRatesWriteZeros) {
    UsageTable table;
    EXPECT_EQ(formatCsv(table, CsvEncoding::Cp932), "\"\",\"\",0,0,0,0\r\n");
    table.recordCardLine(table.addCard("X", "x"), 1, 1);  // counted, no rates yet
    EXPECT_EQ(formatCsv(table, CsvEncoding::Utf8), "\"X\",\"x\",1,1,0,0\r\n");
}

TEST(CsvFormat, CountsRoundHalfToEvenAndCharactersOutsideCp932BecomeQuestionMarks) {
    UsageTable table;
    const std::size_t a = table.addCard("A", "\xF0\x9F\x82\xA1 ace");
    table.recordCardLine(a, 3.5, 1);
    const std::size_t b = table.addCard("B", "b");
    table.recordCardLine(b, 2.5, 1);
    table.computeAllMetrics(1, SortChoice::ByCopies);
    EXPECT_EQ(formatCsv(table, CsvEncoding::Cp932),
              "\"A\",\"? ace\",1,4,100,133.33\r\n"
              "\"B\",\"b\",1,2,100,66.67\r\n");
}

// What became "?" is counted by character and by row, the same by the
// CSV's own pass and on its own; a "?" that was there is not counted.
TEST(CsvFormat, CharactersLostToCp932AreCountedByCharacterAndRow) {
    UsageTable table;
    // "é" and Hangul are outside code page 932, the playing card beyond the BMP.
    table.recordCardLine(table.addCard("\xC3\xA9-1", "\xED\x95\x9C\xF0\x9F\x82\xA1?"), 1, 1);
    table.recordCardLine(table.addCard("B", "\xE3\x81\x82 ?"), 1, 1);  // "あ" is in it
    table.recordCardLine(table.addCard("C", "\xC3\xA9"), 1, 1);
    Cp932Loss inPass;
    const std::string csv = formatCsv(table, CsvEncoding::Cp932, &inPass);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "\"?-1\",\"???\",1,1,0,0");
    for (const Cp932Loss& loss : {inPass, cp932Loss(table)}) {
        EXPECT_EQ(loss.characters, 4u);
        EXPECT_EQ(loss.rows, 2u);
    }
    Cp932Loss utf8;
    formatCsv(table, CsvEncoding::Utf8Bom, &utf8);
    EXPECT_EQ(utf8.characters, 0u);
}

TEST(CsvFormat, ACountBeyond32BitsIsAnErrorNamingTheCard) {
    UsageTable table;
    table.recordCardLine(table.addCard("HUGE", "h"), 3e9, 1);
    try {
        formatCsv(table, CsvEncoding::Cp932);
        FAIL() << "no error";
    } catch (const CardError& error) {
        EXPECT_NE(std::string(error.what()).find("HUGE"), std::string::npos);
    }
}

class AtomicSave : public ::testing::Test {
protected:
    bool onlyTargetLeft() const {
        return std::distance(std::filesystem::directory_iterator(folder.path()), {}) == 1;
    }
    ScratchFolder folder;
    std::filesystem::path target = folder.path() / "集計結果.csv";
};

TEST_F(AtomicSave, CreatesAndReplacesWholeFiles) {
    writeFileAtomically(target, "first, longer content\r\n");
    writeFileAtomically(target, "second\r\n");
    EXPECT_EQ(readFile(target), "second\r\n");
    EXPECT_TRUE(onlyTargetLeft());
}

TEST_F(AtomicSave, KeepsThePermissionsOfTheFileItReplaces) {
    writeFileAtomically(target, "old");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                             std::filesystem::perms::group_read);
    writeFileAtomically(target, "new");
    EXPECT_EQ(std::filesystem::status(target).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}

TEST_F(AtomicSave, FailuresLeaveTheOldFileAndNoTemporaryFile) {
    EXPECT_THROW(writeFileAtomically(folder.path() / "missing" / "out.csv", "x"), SaveError);

    writeFileAtomically(target, "old");
    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    EXPECT_THROW(writeFileAtomically(target, "new"), SaveError);
    EXPECT_EQ(readFile(target), "old");

    std::filesystem::create_directory(folder.path() / "folder.csv");
    EXPECT_THROW(writeFileAtomically(folder.path() / "folder.csv", "x"), SaveError);
    std::filesystem::remove(folder.path() / "folder.csv");
    EXPECT_TRUE(onlyTargetLeft());
}

TEST_F(AtomicSave, AWriteThatFailsMidwayLeavesTheOldFile) {
    writeFileAtomically(target, "old");
    {
        const testing::FileSizeLimit small(4096);
        try {
            writeFileAtomically(target, std::string(100000, 'x'));
            ADD_FAILURE() << "no error";
        } catch (const SaveError& error) {
            EXPECT_NE(std::string(error.what()).find("大きすぎます"), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(readFile(target), "old");
    EXPECT_TRUE(onlyTargetLeft());
}

}  // namespace
}  // namespace sormel
