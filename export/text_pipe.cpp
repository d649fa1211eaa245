#include "export/text_pipe.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>
#include <thread>

namespace sormel {
namespace {

constexpr std::size_t kQueued = 4;

// The reader stopped: the writer is told by this, thrown from write.
struct ReadingStopped {};

class Pipe final : public ByteSink, public std::streambuf {
public:
    void write(std::string_view bytes) override {
        if (bytes.empty()) return;
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return pieces_.size() < kQueued || stopped_; });
        if (stopped_) throw ReadingStopped{};
        pieces_.emplace_back(bytes);
        changed_.notify_all();
    }
    void endWriting() {
        const std::lock_guard lock(mutex_);
        ended_ = true;
        changed_.notify_all();
    }
    void stopReading() {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !pieces_.empty() || ended_; });
        if (pieces_.empty()) return traits_type::eof();
        current_ = std::move(pieces_.front());
        pieces_.pop_front();
        changed_.notify_all();
        setg(current_.data(), current_.data(), current_.data() + current_.size());
        return traits_type::to_int_type(*gptr());
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> pieces_;
    std::string current_;  // the piece being read
    bool ended_ = false;
    bool stopped_ = false;
};

}  // namespace

void readWhileWriting(const std::function<void(ByteSink&)>& write, const std::function<void(std::istream&)>& read) {
    Pipe pipe;
    std::exception_ptr writing;
    std::thread writer;
    try {
        writer = std::thread([&] {
            try {
                write(pipe);
            } catch (const ReadingStopped&) {
            } catch (...) {
                writing = std::current_exception();
            }
            pipe.endWriting();
        });
    } catch (const std::system_error&) {
        StringSink text;
        write(text);
        std::istringstream stream(text.take());
        read(stream);
        return;
    }
    std::exception_ptr reading;
    try {
        std::istream stream(&pipe);
        read(stream);
    } catch (...) {
        reading = std::current_exception();
    }
    pipe.stopReading();
    writer.join();
    if (writing) std::rethrow_exception(writing);
    if (reading) std::rethrow_exception(reading);
}

}  // namespace sormel
