#include "engine/tally_run.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/numeric_text.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::RecordingHost;
using testing::ScratchFolder;

using Calls = std::vector<std::string>;

struct Row {
    std::string number, name;
    std::int64_t decks;
    double copies;
    std::string adoption, usage;
    bool operator==(const Row&) const = default;
};

std::vector<Row> rowsOf(const UsageTable& table) {
    std::vector<Row> rows;
    for (std::size_t i = 0; i < table.rowCount(); ++i) {
        const UsageRow& r = table.row(i);
        rows.push_back({r.cardNumber, r.cardName, r.decks, r.copies, r.adoption ? hundredthsText(*r.adoption) : "", r.usage ? hundredthsText(*r.usage) : ""});
    }
    return rows;
}

class TallyRunTest : public ::testing::Test {
protected:
    // A run with the options the host was given; the outcome is kept in `result`.
    TallyOutcome run(UsageTable& into, RecordingHost& with) {
        result = runTally(into, DeckFiles::ofPaths(files), {side, choice}, with);
        return result.outcome;
    }
    bool side = true;
    SortChoice choice = SortChoice::ByDecks;
    TallyResult result;
    void SetUp() override {
        files = {
            folder.write("1.txt", "# deck one\r\n3,AB-001,First\r\n2,AB-002,Second\r\n--\r\n1,AB-003,Side\r\n"),
            folder.write("2.txt", "3,AB-001,Other name\n1,AB-002,Second\n--\n2,AB-002,Second\n"),
            folder.write("3.txt", "comment only\r\n0,AB-009,zero copies\r\n"),
        };
    }
    ScratchFolder folder;
    std::vector<std::filesystem::path> files;
    UsageTable table;
    RecordingHost host;
};

TEST_F(TallyRunTest, NormalModeSortsAfterEveryFileAndCompletes) {
    EXPECT_EQ(run(table, host), TallyOutcome::Completed);
    EXPECT_EQ(host.calls, (Calls{"start 0", "events-at-file-start", "finish 0 sorted", "start 1",
                                 "events-at-file-start", "finish 1 sorted", "start 2", "events-at-file-start",
                                 "finish 2 sorted"}));
    // Three decks, including the one without card lines.
    EXPECT_EQ(rowsOf(table), (std::vector<Row>{
                                 {"AB-001", "First", 2, 6, "66.67", "66.67"},
                                 {"AB-002", "Second", 2, 5, "66.67", "55.56"},
                                 {"AB-003", "Side", 1, 1, "33.33", "11.11"},
                             }));
}

// What the window shows after each file is the table sorted by then, not
// the order the cards were met in.
TEST_F(TallyRunTest, NormalModeShowsASortedTableAtTheEndOfEveryFile) {
    class Checker : public RecordingHost {
    public:
        UsageTable* table = nullptr;
        std::vector<std::string> firstAfterFile;
        void fileFinished(std::size_t index, bool sorted) override {
            RecordingHost::fileFinished(index, sorted);
            firstAfterFile.push_back(table->row(0).cardNumber);
        }
    } checker;
    checker.table = &table;
    files = {folder.write("a.txt", "1,RARE,r\n1,STAPLE,s\n"), folder.write("b.txt", "1,STAPLE,s\n1,OTHER,o\n"),
             folder.write("c.txt", "1,OTHER,o\n1,OTHER,o\n")};
    checker.onEvents = [](RecordingHost& h, int call) {
        if (call == 5) h.cancel = true;  // the second line of the third file
    };
    EXPECT_EQ(run(table, checker), TallyOutcome::Cancelled);
    EXPECT_EQ(checker.firstAfterFile, (std::vector<std::string>{"RARE", "STAPLE"}));
    // The cancelled file's line was counted, but the table stays as last sorted.
    EXPECT_EQ(table.row(0).cardNumber, "STAPLE");
    EXPECT_EQ(table.row(1).cardNumber, "OTHER");
}

TEST_F(TallyRunTest, HighSpeedModeGivesTheSameTableWithoutSortingOnTheWay) {
    UsageTable normal;
    RecordingHost normalHost;
    run(normal, normalHost);
    host.fast = true;
    EXPECT_EQ(run(table, host), TallyOutcome::Completed);
    EXPECT_EQ(rowsOf(table), rowsOf(normal));
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "high-speed engaged"), 1);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "finish 0 sorted"), 0);
}

TEST_F(TallyRunTest, SwitchingToHighSpeedMidRunGivesTheSameTable) {
    UsageTable normal;
    RecordingHost normalHost;
    run(normal, normalHost);
    host.onEvents = [](RecordingHost& h, int call) {
        if (call == 5) h.fast = true;  // before the first line of the second file
    };
    EXPECT_EQ(run(table, host), TallyOutcome::Completed);
    EXPECT_EQ(rowsOf(table), rowsOf(normal));
    EXPECT_EQ(host.calls[2], "finish 0 sorted");
    EXPECT_EQ(host.calls[5], "high-speed engaged");
    EXPECT_EQ(host.calls[6], "finish 1");
}

TEST_F(TallyRunTest, WithoutTheSidePartReadingStopsAtTheSeparator) {
    side = false;
    run(table, host);
    EXPECT_EQ(rowsOf(table), (std::vector<Row>{
                                 {"AB-001", "First", 2, 6, "66.67", "66.67"},
                                 {"AB-002", "Second", 2, 3, "66.67", "33.33"},
                             }));
}

TEST_F(TallyRunTest, SortByCopies) {
    choice = SortChoice::ByCopies;
    files = {folder.write("a.txt", "1,WIDE,w\n4,MANY,m\n"), folder.write("b.txt", "1,WIDE,w\n")};
    run(table, host);
    EXPECT_EQ(table.row(0).cardNumber, "MANY");
}

TEST_F(TallyRunTest, CancelBeforeALineLeavesThePartialTableWithoutTheFinalPass) {
    // Cancel at the second line of the second file.
    host.onEvents = [](RecordingHost& h, int call) {
        if (call == 6) h.cancel = true;
    };
    EXPECT_EQ(run(table, host), TallyOutcome::Cancelled);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "finish 1 sorted"), 0);
    // AB-001 was counted in deck 2 already; its rates date from that line.
    EXPECT_EQ(rowsOf(table)[0], (Row{"AB-001", "First", 2, 6, "66.67", "66.67"}));
    EXPECT_EQ(rowsOf(table)[1], (Row{"AB-002", "Second", 1, 2, "33.33", "22.22"}));
}

TEST_F(TallyRunTest, CancelledHighSpeedRunKeepsFirstMetOrderWithoutRates) {
    host.fast = true;
    host.onEvents = [](RecordingHost& h, int call) {
        if (call == 8) h.cancel = true;
    };
    run(table, host);
    EXPECT_EQ(rowsOf(table), (std::vector<Row>{
                                 {"AB-001", "First", 2, 6, "", ""},
                                 {"AB-002", "Second", 2, 3, "", ""},
                                 {"AB-003", "Side", 1, 1, "", ""},
                             }));
}

TEST_F(TallyRunTest, AMissingFileStopsTheRunWithAMessageNamingIt) {
    std::filesystem::remove(files[1]);
    EXPECT_EQ(run(table, host), TallyOutcome::Failed);
    EXPECT_NE(result.message.find("2.txt"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("見つかりません"), std::string::npos) << result.message;
    EXPECT_EQ(host.calls.back(), "start 1");
    EXPECT_EQ(table.row(0).cardNumber, "AB-001");  // what was read so far stays
}

TEST_F(TallyRunTest, AFileReplacedByAFolderAfterListingStopsTheRunNamingIt) {
    std::filesystem::remove(files[2]);
    std::filesystem::create_directory(files[2]);
    EXPECT_EQ(run(table, host), TallyOutcome::Failed);
    EXPECT_NE(result.message.find("3.txt"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("フォルダー"), std::string::npos) << result.message;
}

TEST_F(TallyRunTest, AnOverflowNamesTheCardTheFileAndTheLine) {
    files = {folder.write("big.txt", "1,OK,ok\r\n1E400,HUGE,huge\r\n")};
    EXPECT_EQ(run(table, host), TallyOutcome::Failed);
    EXPECT_NE(result.message.find("HUGE"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("big.txt（2 行目）"), std::string::npos) << result.message;

    // A 32-bit overflow in high-speed mode shows at the final pass.
    files = {folder.write("a.txt", "2000000000,SUM,x\n"), folder.write("b.txt", "2000000000,SUM,x\n")};
    host.fast = true;
    EXPECT_EQ(run(table, host), TallyOutcome::Failed);
    EXPECT_NE(result.message.find("SUM"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("b.txt（1 行目）"), std::string::npos) << result.message;

    // Where the sum left the range last is named, also after it came back.
    files = {folder.write("a.txt", "2000000000,SUM,x\n"), folder.write("b.txt", "2000000000,SUM,x\n"),
             folder.write("c.txt", "-2000000000,SUM,x\n"), folder.write("d.txt", "x\n1,Z,z\n2000000000,SUM,x\n")};
    EXPECT_EQ(run(table, host), TallyOutcome::Failed);
    EXPECT_NE(result.message.find("d.txt（3 行目）"), std::string::npos) << result.message;

    // The largest double is beyond fifteen digits' reach: an overflow, not 0.
    files = {folder.write("max.txt", "1,OK,ok\r\n1.7976931348623157E308,MAX,max\r\n")};
    EXPECT_EQ(run(table, host), TallyOutcome::Failed);
    EXPECT_NE(result.message.find("max.txt（2 行目）"), std::string::npos) << result.message;
}

TEST_F(TallyRunTest, EncodingsAndLineEndsOfEveryKindCountAlike) {
    const std::string cp932 = "3,BT-01,\x97\xB3\r\n";          // 竜 in code page 932
    const std::string utf8 = "3,BT-01,\xE7\xAB\x9C\n";
    const std::string bom = "\xEF\xBB\xBF" "3,BT-01,\xE7\xAB\x9C\r";
    const std::string utf16("\xFF\xFE" "3\0,\0B\0T\0-\0" "0\0" "1\0,\0\xDC\x7A", 20);
    files = {folder.write("a", cp932), folder.write("b", utf8), folder.write("c", bom), folder.write("d", utf16)};
    run(table, host);
    ASSERT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(table.row(0).cardName, "\xE7\xAB\x9C");
    EXPECT_EQ(table.row(0).decks, 4);
    EXPECT_EQ(table.row(0).copies, 12);
}

TEST_F(TallyRunTest, Cp932CardNumbersAreComparedAsText) {
    files = {folder.write("a", "1,\x82\x60-1,\x82\x60\r\n"),  // full-width A in code page 932
             folder.write("b", "1,\xEF\xBC\xA1-1,x\n")};     // the same character in UTF-8
    run(table, host);
    ASSERT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(table.row(0).decks, 2);
}

// A table larger than the processor's caches is read with its lines looked
// up ahead; what is counted is the same: repeated cards, cards new to the
// table met twice in a deck, blank, missing and code-page-932 numbers, lines
// that count nothing, the side part counted or left out.
TEST_F(TallyRunTest, ALargeTableCountsEveryKindOfLineAlike) {
    std::string many;
    for (int i = 0; i < 9000; ++i) many += "1,C" + std::to_string(i) + ",n\n";
    files = {folder.write("a", many + "2,AB-001,x\n"),
             folder.write("b", "3,AB-001,y\n1,C5,n\n,\n1,,blank\nno comma\n1,\x82\x60-1,A\n1,NEW-1,x\n2,NEW-1,x\n3\n"
                               "--\n2,AB-001,y\n"),
             folder.write("c", "1,\xEF\xBC\xA1-1,x\r\n1,NEW-1,x\r\n0,AB-001,none")};
    for (const bool withSide : {true, false}) {
        side = withSide;
        ASSERT_EQ(run(table, host), TallyOutcome::Completed) << result.message;
        EXPECT_EQ(table.rowCount(), 9004u);
        const auto counts = [&](const std::string& number) {
            const std::optional<std::size_t> handle = table.findCard(number);
            return handle ? std::pair{table.rowByHandle(*handle).decks, table.rowByHandle(*handle).copies}
                          : std::pair{std::int64_t{-1}, -1.0};
        };
        EXPECT_EQ(counts("AB-001"), (std::pair{std::int64_t{2}, withSide ? 7.0 : 5.0}));
        EXPECT_EQ(counts("C5"), (std::pair{std::int64_t{2}, 2.0}));
        EXPECT_EQ(counts("NEW-1"), (std::pair{std::int64_t{2}, 4.0}));
        EXPECT_EQ(counts(""), (std::pair{std::int64_t{1}, 4.0}));
        EXPECT_EQ(counts("\xEF\xBC\xA1-1"), (std::pair{std::int64_t{2}, 2.0}));
    }
}

}  // namespace
}  // namespace sormel
