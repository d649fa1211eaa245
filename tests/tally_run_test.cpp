#include "engine/tally_run.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;

// Records what the run asks of its host; options can change mid-run from
// the event hook, as a user's click would.
class RecordingHost : public TallyHost {
public:
    bool side = true;
    bool fast = false;
    SortChoice choice = SortChoice::ByDecks;
    bool cancel = false;
    std::function<void(RecordingHost&, int eventCall)> onEvents;
    std::vector<std::string> calls;
    int eventCalls = 0;
    std::string failure;

    bool includeSidePart() override { return side; }
    bool highSpeed() override { return fast; }
    SortChoice sortChoice() override { return choice; }
    void lockControls() override { calls.push_back("lock"); }
    void unlockControls() override { calls.push_back("unlock"); }
    void processEvents(bool fileStart) override {
        if (fileStart) calls.push_back("events-at-file-start");
        if (onEvents) onEvents(*this, eventCalls);
        ++eventCalls;
    }
    bool cancelRequested() override { return cancel; }
    void fileStarted(std::size_t index) override { calls.push_back("start " + std::to_string(index)); }
    void fileFinished(std::size_t index, bool sorted) override {
        calls.push_back("finish " + std::to_string(index) + (sorted ? " sorted" : ""));
    }
    void highSpeedEngaged() override { calls.push_back("high-speed engaged"); }
    void runCompleted() override { calls.push_back("completed"); }
    void runCancelled() override { calls.push_back("cancelled"); }
    void runFailed(const std::string& message) override {
        calls.push_back("failed");
        failure = message;
    }
};

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
        rows.push_back({r.cardNumber, r.cardName, r.decks, r.copies, r.adoptionRate, r.usageRate});
    }
    return rows;
}

class TallyRunTest : public ::testing::Test {
protected:
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
    EXPECT_EQ(runTally(table, files, host), TallyOutcome::Completed);
    EXPECT_EQ(host.calls, (Calls{"lock", "start 0", "events-at-file-start", "finish 0 sorted", "start 1",
                                 "events-at-file-start", "finish 1 sorted", "start 2", "events-at-file-start",
                                 "finish 2 sorted", "unlock", "completed"}));
    // Three decks, including the one without card lines.
    EXPECT_EQ(rowsOf(table), (std::vector<Row>{
                                 {"AB-001", "First", 2, 6, "66.67", "66.67"},
                                 {"AB-002", "Second", 2, 5, "66.67", "55.56"},
                                 {"AB-003", "Side", 1, 1, "33.33", "11.11"},
                             }));
}

TEST_F(TallyRunTest, HighSpeedModeGivesTheSameTableWithoutSortingOnTheWay) {
    UsageTable normal;
    RecordingHost normalHost;
    runTally(normal, files, normalHost);
    host.fast = true;
    EXPECT_EQ(runTally(table, files, host), TallyOutcome::Completed);
    EXPECT_EQ(rowsOf(table), rowsOf(normal));
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "high-speed engaged"), 1);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "finish 0 sorted"), 0);
}

TEST_F(TallyRunTest, SwitchingToHighSpeedMidRunGivesTheSameTable) {
    UsageTable normal;
    RecordingHost normalHost;
    runTally(normal, files, normalHost);
    host.onEvents = [](RecordingHost& h, int call) {
        if (call == 5) h.fast = true;  // before the first line of the second file
    };
    EXPECT_EQ(runTally(table, files, host), TallyOutcome::Completed);
    EXPECT_EQ(rowsOf(table), rowsOf(normal));
    EXPECT_EQ(host.calls[3], "finish 0 sorted");
    EXPECT_EQ(host.calls[6], "high-speed engaged");
    EXPECT_EQ(host.calls[7], "finish 1");
}

TEST_F(TallyRunTest, WithoutTheSidePartReadingStopsAtTheSeparator) {
    host.side = false;
    runTally(table, files, host);
    EXPECT_EQ(rowsOf(table), (std::vector<Row>{
                                 {"AB-001", "First", 2, 6, "66.67", "66.67"},
                                 {"AB-002", "Second", 2, 3, "66.67", "33.33"},
                             }));
}

TEST_F(TallyRunTest, SortByCopies) {
    host.choice = SortChoice::ByCopies;
    files = {folder.write("a.txt", "1,WIDE,w\n4,MANY,m\n"), folder.write("b.txt", "1,WIDE,w\n")};
    runTally(table, files, host);
    EXPECT_EQ(table.row(0).cardNumber, "MANY");
}

TEST_F(TallyRunTest, CancelBeforeALineLeavesThePartialTableWithoutTheFinalPass) {
    // Cancel at the second line of the second file.
    host.onEvents = [](RecordingHost& h, int call) {
        if (call == 6) h.cancel = true;
    };
    EXPECT_EQ(runTally(table, files, host), TallyOutcome::Cancelled);
    EXPECT_EQ(host.calls.back(), "cancelled");
    EXPECT_EQ(host.calls[host.calls.size() - 2], "unlock");
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
    runTally(table, files, host);
    EXPECT_EQ(rowsOf(table), (std::vector<Row>{
                                 {"AB-001", "First", 2, 6, "", ""},
                                 {"AB-002", "Second", 2, 3, "", ""},
                                 {"AB-003", "Side", 1, 1, "", ""},
                             }));
}

TEST_F(TallyRunTest, AMissingFileStopsTheRunWithAMessageNamingIt) {
    std::filesystem::remove(files[1]);
    EXPECT_EQ(runTally(table, files, host), TallyOutcome::Failed);
    EXPECT_NE(host.failure.find("2.txt"), std::string::npos) << host.failure;
    EXPECT_NE(host.failure.find("見つかりません"), std::string::npos) << host.failure;
    EXPECT_EQ(host.calls.back(), "unlock");  // the message first, then the window is restored
    EXPECT_EQ(host.calls[host.calls.size() - 2], "failed");
    EXPECT_EQ(table.row(0).cardNumber, "AB-001");  // what was read so far stays
}

TEST_F(TallyRunTest, AFileReplacedByAFolderAfterListingStopsTheRunNamingIt) {
    std::filesystem::remove(files[2]);
    std::filesystem::create_directory(files[2]);
    EXPECT_EQ(runTally(table, files, host), TallyOutcome::Failed);
    EXPECT_NE(host.failure.find("3.txt"), std::string::npos) << host.failure;
    EXPECT_NE(host.failure.find("フォルダー"), std::string::npos) << host.failure;
}

TEST_F(TallyRunTest, AnOverflowNamesTheCardTheFileAndTheLine) {
    files = {folder.write("big.txt", "1,OK,ok\r\n1E400,HUGE,huge\r\n")};
    EXPECT_EQ(runTally(table, files, host), TallyOutcome::Failed);
    EXPECT_NE(host.failure.find("HUGE"), std::string::npos) << host.failure;
    EXPECT_NE(host.failure.find("big.txt（2 行目）"), std::string::npos) << host.failure;

    // A 32-bit overflow in high-speed mode shows at the final pass.
    files = {folder.write("a.txt", "2000000000,SUM,x\n"), folder.write("b.txt", "2000000000,SUM,x\n")};
    host.fast = true;
    EXPECT_EQ(runTally(table, files, host), TallyOutcome::Failed);
    EXPECT_NE(host.failure.find("SUM"), std::string::npos) << host.failure;

    // The largest double is beyond fifteen digits' reach: an overflow, not 0.
    files = {folder.write("max.txt", "1,OK,ok\r\n1.7976931348623157E308,MAX,max\r\n")};
    EXPECT_EQ(runTally(table, files, host), TallyOutcome::Failed);
    EXPECT_NE(host.failure.find("max.txt（2 行目）"), std::string::npos) << host.failure;
}

TEST_F(TallyRunTest, EncodingsAndLineEndsOfEveryKindCountAlike) {
    const std::string cp932 = "3,BT-01,\x97\xB3\r\n";          // 竜 in code page 932
    const std::string utf8 = "3,BT-01,\xE7\xAB\x9C\n";
    const std::string bom = "\xEF\xBB\xBF" "3,BT-01,\xE7\xAB\x9C\r";
    const std::string utf16("\xFF\xFE" "3\0,\0B\0T\0-\0" "0\0" "1\0,\0\xDC\x7A", 20);
    files = {folder.write("a", cp932), folder.write("b", utf8), folder.write("c", bom), folder.write("d", utf16)};
    runTally(table, files, host);
    ASSERT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(table.row(0).cardName, "\xE7\xAB\x9C");
    EXPECT_EQ(table.row(0).decks, 4);
    EXPECT_EQ(table.row(0).copies, 12);
}

TEST_F(TallyRunTest, Cp932CardNumbersAreComparedAsText) {
    files = {folder.write("a", "1,\x82\x60-1,\x82\x60\r\n"),  // full-width A in code page 932
             folder.write("b", "1,\xEF\xBC\xA1-1,x\n")};     // the same character in UTF-8
    runTally(table, files, host);
    ASSERT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(table.row(0).decks, 2);
}

}  // namespace
}  // namespace sormel
