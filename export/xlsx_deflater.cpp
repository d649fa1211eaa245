#include "export/xlsx_deflater.h"

#include <algorithm>
#include <system_error>

namespace sormel::xlsx {
namespace {

// Pieces waiting for a thread, beyond those being deflated.
constexpr std::size_t kQueued = 4;

void deflateInto(DeflatedPiece& piece, const std::string& bytes, RowDeflater::Kind kind, WholeDeflater& whole) {
    if (kind == RowDeflater::Kind::Whole) {
        piece.deflateWhole(bytes, whole);
    } else {
        piece.append(bytes);
        piece.finish(false);
    }
}

}  // namespace

unsigned RowDeflater::threadsWanted() { return std::clamp(std::thread::hardware_concurrency(), 1u, 4u); }

RowDeflater::RowDeflater(unsigned threads) : threadLimit_(std::max(threads, 1u)) {}

RowDeflater::~RowDeflater() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        tasks_.clear();
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void RowDeflater::throwFailure() const {
    if (failure_) std::rethrow_exception(failure_);
}

void RowDeflater::keepSpare(std::string bytes, Kind kind) {
    // A few buffers of pieces are kept for the rows to come; the rest go,
    // and so do whole parts, which may be far larger than a piece.
    if (kind == Kind::Whole) return;
    bytes.clear();
    if (spare_.size() <= kQueued + threads_.size()) spare_.push_back(std::move(bytes));
}

void RowDeflater::startThread() {
    try {
        threads_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
        inline_ = threads_.empty();
    }
}

std::string RowDeflater::add(Batch& batch, DeflatedPiece& piece, std::string bytes, Kind kind) {
    std::unique_lock lock(mutex_);
    throwFailure();
    // A thread more while there is work waiting and room for one.
    if (!inline_ && threads_.size() < threadLimit_ && (threads_.empty() || !tasks_.empty())) startThread();
    if (inline_) {
        lock.unlock();
        deflateInto(piece, bytes, kind, inlineWhole_);
        lock.lock();
        keepSpare(std::move(bytes), kind);
    } else {
        changed_.wait(lock, [this] { return tasks_.size() < kQueued || failure_; });
        throwFailure();
        ++batch.unfinished_;
        tasks_.push_back({&batch, &piece, std::move(bytes), kind});
        changed_.notify_all();
    }
    if (spare_.empty()) return {};
    std::string buffer = std::move(spare_.back());
    spare_.pop_back();
    return buffer;
}

void RowDeflater::wait(Batch& batch) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return batch.unfinished_ == 0 || failure_; });
    throwFailure();
}

bool RowDeflater::finished(const Batch& batch) {
    const std::lock_guard lock(mutex_);
    throwFailure();
    return batch.unfinished_ == 0;
}

void RowDeflater::work() {
    WholeDeflater whole;
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (stopping_) return;
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        changed_.notify_all();  // room in the queue
        lock.unlock();
        std::exception_ptr failure;
        try {
            deflateInto(*task.piece, task.bytes, task.kind, whole);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        --task.batch->unfinished_;
        if (failure && !failure_) failure_ = failure;
        if (failure_) {
            // Nothing queued is wanted any more.
            for (const Task& dropped : tasks_) --dropped.batch->unfinished_;
            tasks_.clear();
        }
        keepSpare(std::move(task.bytes), task.kind);
        changed_.notify_all();
    }
}

}  // namespace sormel::xlsx
