// Deflates a sheet's rows on threads of their own while the next rows are
// made. The rows of a long sheet go in pieces deflated apart (each its own
// stream, joined in order afterwards), so that several threads can share
// one sheet and a workbook takes about the longest of the jobs, not their
// sum; a short sheet goes whole, once it ends.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "export/xlsx_zip.h"

namespace sormel::xlsx {

class RowDeflater {
public:
    // The pieces of one part still being deflated, so that the part can
    // wait for its own while the next part's pieces are under way.
    class Batch {
        friend class RowDeflater;
        std::size_t unfinished_ = 0;
    };

    // At most `threads` threads (at least one) are started, as work comes.
    explicit RowDeflater(unsigned threads = threadsWanted());
    // Whatever is queued is dropped.
    ~RowDeflater();
    RowDeflater(const RowDeflater&) = delete;
    RowDeflater& operator=(const RowDeflater&) = delete;

    // How a piece is deflated: one of several, not the last of its part,
    // or the part whole.
    enum class Kind { Piece, Whole };

    // Deflates `bytes` into `piece` and finishes the piece, counted in
    // `batch`; hands back an empty buffer to fill next. Waits while a few
    // pieces are queued already, so that the queue stays small.
    std::string add(Batch& batch, DeflatedPiece& piece, std::string bytes, Kind kind = Kind::Piece);
    // Returns once every piece of `batch` is deflated. A failure on a
    // thread is thrown here and by every later call.
    void wait(Batch& batch);
    // Whether every piece of `batch` is deflated, without waiting.
    bool finished(const Batch& batch);

    // The machine's threads, at most four: deflating is the only work.
    static unsigned threadsWanted();

private:
    struct Task {
        Batch* batch;
        DeflatedPiece* piece;
        std::string bytes;
        Kind kind;
    };
    void startThread();
    void work();
    void keepSpare(std::string bytes, Kind kind);
    void throwFailure() const;

    const unsigned threadLimit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> tasks_;
    std::vector<std::string> spare_;
    bool stopping_ = false;
    bool inline_ = false;  // no thread could be started: each piece is done at once
    WholeDeflater inlineWhole_;  // for whole parts done at once
    std::exception_ptr failure_;
    std::vector<std::thread> threads_;
};

}  // namespace sormel::xlsx
