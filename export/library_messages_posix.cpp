#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>

#include "engine/visible_text.h"
#include "export/library_messages.h"

namespace sormel {

namespace {

constexpr std::size_t kKeptBytes = 4096;

// "[ERROR][./src/worksheet.c:200]: Error creating ..." to "Error creating ...".
std::string_view withoutPrefix(std::string_view line) {
    while (line.starts_with('[')) {
        const std::size_t end = line.find(']');
        if (end == std::string_view::npos) break;
        line.remove_prefix(end + 1);
    }
    if (line.starts_with(':')) line.remove_prefix(1);
    while (line.starts_with(' ')) line.remove_prefix(1);
    return line;
}

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
    std::string joined;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = withoutPrefix(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty()) continue;
        if (!joined.empty()) joined += " / ";
        joined += visibleText(line);
    }
    return joined;
}

}  // namespace sormel
