// The analysis pipeline as its front ends use it: what stops it before a
// deck is read, a cancelled run, the lines it reads past, and a run into
// a caller's table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/folder_analysis.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;

struct Outcome {
    AnalysisOutcome outcome;
    std::string message;
};

// Records what the pipeline tells its host; stops before the line `stopAt`
// (counting every keepGoing call) when given.
class Host : public AnalysisHost {
public:
    int stopAt = -1;
    bool skippedWanted = true;
    std::vector<std::string> events;

    int callsBeforeBaseline = -1;

    bool keepGoing(bool) override { return stopAt < 0 || calls_++ < stopAt; }
    void folderStarted(bool baseline, std::size_t files) override {
        if (baseline) callsBeforeBaseline = calls_;
        events.push_back((baseline ? "baseline " : "folder ") + std::to_string(files));
    }
    bool wantsSkippedLines() const override { return skippedWanted; }
    void lineSkipped(const std::filesystem::path& file, std::size_t line, const std::string& text) override {
        events.push_back(file.filename().string() + ":" + std::to_string(line) + ": " + text);
    }

private:
    int calls_ = 0;
};

Outcome analyse(const AnalysisRequest& request, Host& host) {
    FolderAnalysis analysis(request);
    AnalysisStatus status = analysis.list();
    if (status.completed()) status = analysis.run(host);
    return {status.outcome, status.message};
}

TEST(FolderAnalysis, WhatStopsTheAnalysisBeforeADeckIsRead) {
    ScratchFolder decks, empty;
    decks.write("a.txt", "1,A,a\n");
    const std::filesystem::path missing = decks.path() / "gone";
    struct Case {
        const char* what;
        std::filesystem::path folder;
        std::string mask;
        std::optional<std::filesystem::path> baseline;
        AnalysisOutcome outcome;
        std::string message;  // the start of it
    };
    const std::vector<Case> cases{
        {"a mask holding a path", decks.path(), "x/*.txt", {}, AnalysisOutcome::Refused,
         "ファイルマスクが正しくありません"},
        {"no deck file", empty.path(), "*.txt", {}, AnalysisOutcome::Failed, "集計対象ファイルがありません。"},
        {"no deck in the baseline", decks.path(), "*.txt", empty.path(), AnalysisOutcome::Failed,
         "比較するフォルダーに集計対象ファイルがありません。\nフォルダー: " + empty.path().string()},
        {"a folder that is gone", missing, "*.txt", {}, AnalysisOutcome::Failed, ""},
        {"a baseline that is gone", decks.path(), "*.txt", missing, AnalysisOutcome::Failed, ""},
        // Both are listed at once; the folder's own failure is told first.
        {"no deck in either", empty.path(), "*.txt", empty.path(), AnalysisOutcome::Failed,
         "集計対象ファイルがありません。"},
        {"a folder that is gone, and no deck in the baseline", missing, "*.txt", empty.path(),
         AnalysisOutcome::Failed, "フォルダーを読み込めません。"},
    };
    for (const Case& c : cases) {
        AnalysisRequest request;
        request.folder = c.folder;
        request.mask = c.mask;
        request.baseline = c.baseline;
        Host host;
        const Outcome outcome = analyse(request, host);
        EXPECT_EQ(outcome.outcome, c.outcome) << c.what;
        EXPECT_EQ(outcome.message.substr(0, c.message.size()), c.message) << c.what;
        EXPECT_FALSE(outcome.message.empty()) << c.what;
        EXPECT_TRUE(host.events.empty()) << c.what << ": a deck was read";
    }
}

TEST(FolderAnalysis, SkippedLinesOfTheFolderReachTheHostButNotTheBaselines) {
    ScratchFolder now, before;
    now.write("1.txt", "# heading\n1,A,a\n");
    now.write("2.txt", "1,B,b\nnote\n");
    before.write("1.txt", "baseline note\n1,A,a\n");
    AnalysisRequest request;
    request.folder = now.path();
    request.baseline = before.path();
    Host host;
    FolderAnalysis analysis(request);
    ASSERT_TRUE(analysis.list().completed());
    ASSERT_TRUE(analysis.run(host).completed());
    EXPECT_EQ(host.events,
              (std::vector<std::string>{"folder 2", "1.txt:1: # heading", "2.txt:2: note", "baseline 1"}));
    const ReportData data = analysis.report();
    ASSERT_TRUE(data.baseline.has_value());
    EXPECT_EQ(data.baseline->decks, 1);
    EXPECT_EQ(data.files, (std::vector<std::string>{"1.txt", "2.txt"}));

    // A host that does not ask for them is not told.
    Host quiet;
    quiet.skippedWanted = false;
    FolderAnalysis again(request);
    ASSERT_TRUE(again.list().completed());
    ASSERT_TRUE(again.run(quiet).completed());
    EXPECT_EQ(quiet.events, (std::vector<std::string>{"folder 2", "baseline 1"}));
}

TEST(FolderAnalysis, ACancelInEitherFolderEndsTheAnalysisCancelled) {
    ScratchFolder now, before;
    now.write("1.txt", "1,A,a\n1,B,b\n");
    before.write("1.txt", "1,A,a\n");
    AnalysisRequest request;
    request.folder = now.path();
    request.baseline = before.path();
    Host counting;
    counting.stopAt = 1000;
    ASSERT_EQ(analyse(request, counting).outcome, AnalysisOutcome::Completed);
    ASSERT_GT(counting.callsBeforeBaseline, 1);
    // At the folder's first call, in its midst, and at the baseline's first.
    for (const int stopAt : {0, counting.callsBeforeBaseline - 1, counting.callsBeforeBaseline}) {
        Host host;
        host.stopAt = stopAt;
        EXPECT_EQ(analyse(request, host).outcome, AnalysisOutcome::Cancelled) << stopAt;
    }
}

TEST(FolderAnalysis, GivenFilesAreTalliedIntoTheCallersTable) {
    ScratchFolder folder;
    const std::filesystem::path a = folder.write("a.txt", "2,A,a\n");
    folder.write("b.txt", "3,B,b\n");  // not given: not read
    UsageTable table;
    AnalysisRequest request;
    request.folder = folder.path();
    FolderAnalysis analysis(request, table);
    analysis.useFiles(DeckFiles::ofPaths({a}));
    Host host;
    ASSERT_TRUE(analysis.run(host).completed());
    ASSERT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(&analysis.table(), &table);
    const ReportData data = analysis.report();
    EXPECT_EQ(data.report.deckCount, 1);
    ASSERT_EQ(data.report.cards.size(), 1u);
    EXPECT_EQ(data.report.cards[0].copies, 2);
}

TEST(FolderAnalysis, FolderNamesInShiftJisAreShownDecoded) {
    ScratchFolder root;
    const std::string white = "\x94\x92\x92\x50";  // 白単 in Shift_JIS
    const std::string black = "\x8D\x95\x92\x50";  // 黒単
    for (const std::string& name : {white, black}) {
        std::filesystem::create_directory(root.path() / name);
        root.write(name + "/1.txt", "1,A,a\n");
    }
    AnalysisRequest request;
    request.folder = root.path() / white;
    request.baseline = root.path() / black;
    FolderAnalysis analysis(request);
    Host host;
    ASSERT_TRUE(analysis.list().completed());
    ASSERT_TRUE(analysis.run(host).completed());
    const ReportData data = analysis.report();
    EXPECT_EQ(data.folder, root.path().string() + "/白単");
    ASSERT_TRUE(data.baseline.has_value());
    EXPECT_EQ(data.baseline->folder, root.path().string() + "/黒単");
}

}  // namespace
}  // namespace sormel
