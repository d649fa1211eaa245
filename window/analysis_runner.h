// The analysis window's own run: the main window's folder and mask read
// again in the background with the analysis settings, giving the per-card
// report, the deck types, the comparison with a baseline folder and the
// average decks, and the lines the run read past.
//
// One worker thread, started with the first request and kept until the
// runner ends, takes the newest request whenever it is free; a newer
// request, or the runner's end, stops the run in hand before its next line.
// The result comes back to the window's thread whole, through the event
// queue, and only the newest request's outcome is ever reported.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_request.h"
#include "analysis/report_data.h"

class QThread;

namespace sormel {

// A line of a deck file that was neither a card line nor blank.
struct SkippedLine {
    std::filesystem::path file;
    std::size_t line = 0;
    std::string text;
};

// A completed analysis. The average decks are in the reports.
struct AnalysisResult {
    AnalysisRequest request;
    ReportData data;
    std::vector<SkippedLine> warnings;  // the text is the warning; line 0 for a whole file
    std::vector<SkippedLine> skipped;
    bool skippedCut = false;  // more lines were skipped than are kept
    std::string suggestedRules;  // when the request asked for draft type rules
};

class AnalysisRunner : public QObject {
    Q_OBJECT
public:
    explicit AnalysisRunner(QObject* parent = nullptr);
    // Stops any run and waits for the worker.
    ~AnalysisRunner() override;

    // Asks for an analysis of `request`, stopping the one in hand.
    void start(const AnalysisRequest& request);
    // Stops the run in hand and drops any waiting request; nothing is reported.
    void cancel();
    bool running() const { return running_; }

signals:
    void completed(std::shared_ptr<const AnalysisResult> result);
    void failed(const QString& message);

private:
    void work();
    void deliver(quint64 generation, bool ok, std::shared_ptr<const AnalysisResult> result,
                 const QString& message);

    // Shared with the worker, under mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<AnalysisRequest> pending_;
    bool ending_ = false;
    // The newest request's number; a run whose number is older stops.
    std::atomic<quint64> latest_{0};

    // The window's thread's own.
    quint64 generation_ = 0;
    bool running_ = false;
    QThread* worker_ = nullptr;
};

}  // namespace sormel
