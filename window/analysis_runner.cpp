#include "window/analysis_runner.h"

#include <QThread>
#include <ctime>

#include "analysis/folder_analysis.h"
#include "analysis/period_analysis.h"
#include "export/report_writer.h"

namespace sormel {
namespace {

// A folder with a fault on every line must not fill the memory.
constexpr std::size_t kSkippedLinesKept = 100000;

// Stops the run once a newer request came, and keeps the lines it read past.
class WorkerHost : public AnalysisHost {
public:
    WorkerHost(const std::atomic<quint64>& latest, quint64 generation, AnalysisResult& result)
        : latest_(latest), generation_(generation), result_(result) {}

    bool keepGoing(bool) override { return current(); }
    bool current() const { return latest_.load(std::memory_order_relaxed) == generation_; }

    bool wantsSkippedLines() const override { return true; }
    void lineSkipped(const std::filesystem::path& file, std::size_t line, const std::string& text) override {
        if (result_.skipped.size() >= kSkippedLinesKept) {
            result_.skippedCut = true;
            return;
        }
        result_.skipped.push_back({file, line, text});
    }
    void deckWarning(const std::filesystem::path& file, std::size_t line, const std::string& message) override {
        result_.warnings.push_back({file, line, message});
    }

private:
    const std::atomic<quint64>& latest_;
    const quint64 generation_;
    AnalysisResult& result_;
};

}  // namespace

AnalysisRunner::AnalysisRunner(QObject* parent) : QObject(parent) {}

AnalysisRunner::~AnalysisRunner() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
        latest_.store(~quint64{0});
    }
    wake_.notify_one();
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

void AnalysisRunner::start(const AnalysisRequest& request) {
    {
        const std::lock_guard lock(mutex_);
        pending_ = request;
        latest_.store(++generation_);
    }
    running_ = true;
    if (!worker_) {
        worker_ = QThread::create([this] { work(); });
        worker_->start(QThread::LowPriority);
    }
    wake_.notify_one();
}

void AnalysisRunner::cancel() {
    {
        const std::lock_guard lock(mutex_);
        pending_.reset();
        latest_.store(++generation_);
    }
    running_ = false;
}

void AnalysisRunner::work() {
    for (;;) {
        AnalysisRequest request;
        quint64 generation = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return ending_ || pending_.has_value(); });
            if (ending_) return;
            request = std::move(*pending_);
            pending_.reset();
            generation = latest_.load();
        }
        auto result = std::make_shared<AnalysisResult>();
        WorkerHost host(latest_, generation, *result);
        const AnalysisStatus status = request.periods ? analysePeriods(request, host, result->data)
                                                      : analyseFolders(request, host, result->data, &result->suggestedRules);
        if (status.outcome == AnalysisOutcome::Cancelled || !host.current()) continue;
        result->request = std::move(request);
        result->data.date = localDateText(std::time(nullptr));
        QMetaObject::invokeMethod(
            this,
            [this, generation, ok = status.completed(), result, text = QString::fromStdString(status.message)] {
                deliver(generation, ok, result, text);
            },
            Qt::QueuedConnection);
    }
}

void AnalysisRunner::deliver(quint64 generation, bool ok, std::shared_ptr<const AnalysisResult> result,
                             const QString& message) {
    if (generation != generation_) return;
    running_ = false;
    if (ok) {
        emit completed(std::move(result));
    } else {
        emit failed(message);
    }
}

}  // namespace sormel
