// The analysis window's own run: the main window's folder and mask read
// again in the background with the analysis settings, giving the per-card
// report, the deck types, the comparison with a baseline folder and the
// average decks, and the lines the run read past.
//
// A run works on a thread of its own; its result comes back to the
// window's thread whole, through the event queue. A newer request, or the
// runner's end, stops a run before its next line; only the newest run's
// outcome is ever reported.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/report_data.h"

class QThread;

namespace sormel {

// What to analyse and how.
struct AnalysisJob {
    std::filesystem::path folder;
    std::string mask = "*.txt";
    bool includeSidePart = true;
    SortChoice sortChoice = SortChoice::ByDecks;
    int copyLimit = 3;
    bool byFolder = false;
    bool mergeByName = false;
    std::optional<std::filesystem::path> baseline;
};

// A line of a deck file that was neither a card line nor blank.
struct SkippedLine {
    std::filesystem::path file;
    std::size_t line = 0;
    std::string text;
};

// A completed analysis. The average decks are in the reports.
struct AnalysisResult {
    AnalysisJob job;
    ReportData data;
    std::vector<SkippedLine> skipped;
    bool skippedCut = false;  // more lines were skipped than are kept
};

enum class AnalysisOutcome { Completed, Cancelled, Failed };

// The whole analysis on the calling thread; `keepGoing` is asked before
// every line. On failure `message` says what went wrong.
AnalysisOutcome analyseFolder(const AnalysisJob& job, const std::function<bool()>& keepGoing, AnalysisResult& result,
                              std::string& message);

class AnalysisRunner : public QObject {
    Q_OBJECT
public:
    explicit AnalysisRunner(QObject* parent = nullptr);
    // Stops any run and waits for its thread.
    ~AnalysisRunner() override;

    // Starts a run of `job`, stopping the one before.
    void start(const AnalysisJob& job);
    // Stops the current run; it reports nothing.
    void cancel();
    bool running() const { return running_; }

signals:
    void completed(std::shared_ptr<const AnalysisResult> result);
    void failed(const QString& message);

private:
    void deliver(quint64 generation, AnalysisOutcome outcome, std::shared_ptr<const AnalysisResult> result,
                 const QString& message);

    // The newest run's number; a run whose number is older stops.
    std::shared_ptr<std::atomic<quint64>> latest_;
    quint64 generation_ = 0;
    bool running_ = false;
    std::vector<QThread*> threads_;
};

}  // namespace sormel
