#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "export/library_messages.h"

namespace sormel {

namespace {

constexpr std::size_t kKeptBytes = 4096;

}  // namespace

// A pipe that never blocks the writer: when it is full, later lines are
// lost rather than the program held up.
struct StandardErrorCapture::Saved {
    int previous = -1;
    int reader = -1;
    bool finished = false;
};

StandardErrorCapture::StandardErrorCapture() : saved_(std::make_unique<Saved>()) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    std::fflush(stderr);
    saved_->previous = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved_->previous < 0 || dup2(ends[1], STDERR_FILENO) < 0) {
        if (saved_->previous >= 0) close(saved_->previous);
        saved_->previous = -1;
        close(ends[0]);
    } else {
        saved_->reader = ends[0];
    }
    close(ends[1]);
}

StandardErrorCapture::~StandardErrorCapture() { finish(); }

std::string StandardErrorCapture::finish() {
    if (saved_->finished) return "";
    saved_->finished = true;
    if (saved_->previous < 0) return "";
    std::fflush(stderr);
    dup2(saved_->previous, STDERR_FILENO);
    close(saved_->previous);
    std::string text;
    char buffer[1024];
    for (;;) {
        const ssize_t got = read(saved_->reader, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        if (text.size() < kKeptBytes) text.append(buffer, static_cast<std::size_t>(got));
    }
    close(saved_->reader);
    return detail::joinLibraryLines(text);
}

}  // namespace sormel
