// Deflates a sheet's rows on a thread of its own while the next rows are
// made, so that a workbook takes about the longer of the two, not both.
#pragma once

#include <condition_variable>
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
    RowDeflater() = default;
    // Whatever is queued is dropped.
    ~RowDeflater();
    RowDeflater(const RowDeflater&) = delete;
    RowDeflater& operator=(const RowDeflater&) = delete;

    // Queues `bytes` for `piece` and hands back an empty buffer to fill
    // next. Waits while a few pieces are queued already, so that the
    // queue stays small.
    std::string add(DeflatedPiece& piece, std::string bytes);
    // Returns once everything queued for `piece` is deflated and the piece
    // is finished (not the last of its part). A failure on the thread is
    // thrown here or by the next add.
    void finish(DeflatedPiece& piece);

private:
    struct Task {
        DeflatedPiece* piece;
        std::string bytes;
        bool finish;
    };
    void queue(Task task);
    void work();
    void throwFailure();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> tasks_;
    std::vector<std::string> spare_;
    bool busy_ = false;
    bool stopping_ = false;
    bool inline_ = false;  // no thread could be started: each task is done at once
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace sormel::xlsx
