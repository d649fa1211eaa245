#include "export/xlsx_deflater.h"

#include <system_error>

namespace sormel::xlsx {
namespace {

constexpr std::size_t kQueued = 4;

void run(DeflatedPiece& piece, const std::string& bytes, bool finish) {
    piece.append(bytes);
    if (finish) piece.finish(false);
}

}  // namespace

RowDeflater::~RowDeflater() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        tasks_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void RowDeflater::throwFailure() {
    if (!failure_) return;
    std::exception_ptr failure = failure_;
    failure_ = nullptr;
    std::rethrow_exception(failure);
}

void RowDeflater::queue(Task task) {
    if (!thread_.joinable() && !inline_) {
        try {
            thread_ = std::thread([this] { work(); });
        } catch (const std::system_error&) {
            inline_ = true;
        }
    }
    if (inline_) {
        run(*task.piece, task.bytes, task.finish);
        task.bytes.clear();
        if (spare_.size() <= kQueued) spare_.push_back(std::move(task.bytes));
        return;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return tasks_.size() < kQueued || failure_; });
    throwFailure();
    tasks_.push_back(std::move(task));
    lock.unlock();
    changed_.notify_all();
}

std::string RowDeflater::add(DeflatedPiece& piece, std::string bytes) {
    queue({&piece, std::move(bytes), false});
    const std::lock_guard lock(mutex_);
    if (spare_.empty()) return {};
    std::string buffer = std::move(spare_.back());
    spare_.pop_back();
    return buffer;
}

void RowDeflater::finish(DeflatedPiece& piece) {
    queue({&piece, {}, true});
    if (inline_) return;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return (tasks_.empty() && !busy_) || failure_; });
    throwFailure();
}

void RowDeflater::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (stopping_) return;
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        busy_ = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            run(*task.piece, task.bytes, task.finish);
        } catch (...) {
            failure = std::current_exception();
        }
        task.bytes.clear();
        lock.lock();
        busy_ = false;
        if (failure) {
            failure_ = failure;
            tasks_.clear();
        }
        // A few buffers are kept for the rows to come; the rest go.
        if (spare_.size() <= kQueued) spare_.push_back(std::move(task.bytes));
        changed_.notify_all();
    }
}

}  // namespace sormel::xlsx
