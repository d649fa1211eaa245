#include "window/analysis_runner.h"

#include <QThread>
#include <algorithm>
#include <functional>

#include "analysis/run_figures.h"
#include "engine/deck_listing.h"
#include "engine/deck_observer.h"
#include "engine/file_error.h"
#include "engine/tally_run.h"

namespace sormel {
namespace {

// A folder with a fault on every line must not fill the memory.
constexpr std::size_t kSkippedLinesKept = 100000;

class StoppableHost : public TallyHost {
public:
    explicit StoppableHost(const std::function<bool()>& keepGoing) : keepGoing_(keepGoing) {}
    bool keepGoing(bool) override { return keepGoing_(); }

private:
    const std::function<bool()>& keepGoing_;
};

class SkippedLineList : public DeckObserver {
public:
    SkippedLineList(const std::vector<std::filesystem::path>& files, AnalysisResult& result)
        : files_(files), result_(result) {}
    void lineSkipped(std::size_t index, std::size_t line, const std::string& text) override {
        if (result_.skipped.size() >= kSkippedLinesKept) {
            result_.skippedCut = true;
            return;
        }
        result_.skipped.push_back({files_[index], line, text});
    }

private:
    const std::vector<std::filesystem::path>& files_;
    AnalysisResult& result_;
};

TallyResult tallyFolder(const AnalysisJob& job, bool baseline, const std::function<bool()>& keepGoing,
                        FolderRun& run, DeckObserver* extra) {
    AnalysisOptions options;
    options.includeSidePart = job.includeSidePart;
    options.sortChoice = job.sortChoice;
    options.mergeByName = job.mergeByName;
    options.copyLimit = job.copyLimit;
    options.byFolder = job.byFolder;
    options.cardFigures = true;
    options.averageDeck = !baseline;
    run.figures = std::make_unique<RunFigures>(options, run.listing, baseline);
    DeckObservers observers;
    if (DeckObserver* figures = run.figures->observer()) observers.add(*figures);
    if (extra) observers.add(*extra);
    const TallyOptions tally = run.figures->tallyOptions(observers.empty() ? nullptr : &observers);
    StoppableHost host(keepGoing);
    return runTally(run.table, run.listing.files, tally, host);
}

}  // namespace

AnalysisOutcome analyseFolder(const AnalysisJob& job, const std::function<bool()>& keepGoing, AnalysisResult& result,
                              std::string& message) {
    try {
        const std::optional<FileMask> mask = FileMask::parse(job.mask);
        if (!mask) {
            message = "ファイルマスクが正しくありません: " + job.mask;
            return AnalysisOutcome::Failed;
        }
        FolderRun current;
        current.listing = listTypedDeckFiles(job.folder, *mask, job.byFolder);
        if (current.listing.files.empty()) {
            message = "集計対象ファイルがありません。";
            return AnalysisOutcome::Failed;
        }
        FolderRun before;
        if (job.baseline) {
            before.listing = listTypedDeckFiles(*job.baseline, *mask, job.byFolder);
            if (before.listing.files.empty()) {
                message = "比較するフォルダーに集計対象ファイルがありません。\nフォルダー: " + displayPath(*job.baseline);
                return AnalysisOutcome::Failed;
            }
        }
        SkippedLineList skipped(current.listing.files, result);
        for (auto [run, baseline] : {std::pair{&current, false}, std::pair{&before, true}}) {
            if (baseline && !job.baseline) break;
            const TallyResult tally = tallyFolder(job, baseline, keepGoing, *run, baseline ? nullptr : &skipped);
            if (tally.outcome == TallyOutcome::Cancelled) return AnalysisOutcome::Cancelled;
            if (tally.outcome == TallyOutcome::Failed) {
                message = tally.message;
                return AnalysisOutcome::Failed;
            }
            run->figures->finish(job.sortChoice);
        }
        const std::filesystem::path* baselineFolder = job.baseline ? &*job.baseline : nullptr;
        result.data = current.figures->report(current.table, job.baseline ? before.figures.get() : nullptr,
                                              job.baseline ? &before.table : nullptr, job.folder, baselineFolder);
        result.job = job;
        return AnalysisOutcome::Completed;
    } catch (const std::exception& error) {
        message = error.what();
        return AnalysisOutcome::Failed;
    }
}

AnalysisRunner::AnalysisRunner(QObject* parent)
    : QObject(parent), latest_(std::make_shared<std::atomic<quint64>>(0)) {}

AnalysisRunner::~AnalysisRunner() {
    latest_->store(~quint64{0});
    for (QThread* thread : threads_) {
        thread->wait();
        delete thread;
    }
}

void AnalysisRunner::start(const AnalysisJob& job) {
    const quint64 generation = ++generation_;
    latest_->store(generation);
    running_ = true;
    std::shared_ptr<std::atomic<quint64>> latest = latest_;
    QThread* thread = QThread::create([this, job, generation, latest] {
        const std::function<bool()> keepGoing = [&] { return latest->load(std::memory_order_relaxed) == generation; };
        auto result = std::make_shared<AnalysisResult>();
        std::string message;
        const AnalysisOutcome outcome = analyseFolder(job, keepGoing, *result, message);
        if (!keepGoing()) return;
        QMetaObject::invokeMethod(
            this,
            [this, generation, outcome, result, text = QString::fromStdString(message)] {
                deliver(generation, outcome, result, text);
            },
            Qt::QueuedConnection);
    });
    threads_.push_back(thread);
    connect(thread, &QThread::finished, this, [this, thread] {
        threads_.erase(std::remove(threads_.begin(), threads_.end(), thread), threads_.end());
        thread->deleteLater();
    });
    thread->start(QThread::LowPriority);
}

void AnalysisRunner::cancel() {
    ++generation_;
    latest_->store(generation_);
    running_ = false;
}

void AnalysisRunner::deliver(quint64 generation, AnalysisOutcome outcome, std::shared_ptr<const AnalysisResult> result,
                             const QString& message) {
    if (generation != generation_) return;
    running_ = false;
    switch (outcome) {
        case AnalysisOutcome::Completed: emit completed(std::move(result)); break;
        case AnalysisOutcome::Failed: emit failed(message); break;
        case AnalysisOutcome::Cancelled: break;
    }
}

}  // namespace sormel
