// Standard error captured through a pipe of the C runtime, whose standard
// error the libraries share.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string_view>

#include "export/library_messages.h"

namespace sormel {

namespace {

constexpr unsigned kPipeBytes = 65536;
constexpr std::size_t kKeptBytes = 4096;

}  // namespace

// The pipe holds far more than a library's few lines; a writer that filled
// it would wait, so captures are kept to short calls.
struct StandardErrorCapture::Saved {
    int previous = -1;
    int reader = -1;
    bool finished = false;
};

StandardErrorCapture::StandardErrorCapture() : saved_(std::make_unique<Saved>()) {
    int ends[2];
    if (_pipe(ends, kPipeBytes, _O_BINARY | _O_NOINHERIT) != 0) return;
    std::fflush(stderr);
    saved_->previous = _dup(2);
    if (saved_->previous < 0 || _dup2(ends[1], 2) != 0) {
        if (saved_->previous >= 0) _close(saved_->previous);
        saved_->previous = -1;
        _close(ends[0]);
    } else {
        saved_->reader = ends[0];
    }
    _close(ends[1]);
}

StandardErrorCapture::~StandardErrorCapture() { finish(); }

std::string StandardErrorCapture::finish() {
    if (saved_->finished) return "";
    saved_->finished = true;
    if (saved_->previous < 0) return "";
    std::fflush(stderr);
    // Standard error back: the pipe's last writer is gone, so reading ends.
    _dup2(saved_->previous, 2);
    _close(saved_->previous);
    std::string text;
    char buffer[1024];
    for (;;) {
        const int got = _read(saved_->reader, buffer, sizeof buffer);
        if (got <= 0) break;
        if (text.size() < kKeptBytes) text.append(buffer, static_cast<std::size_t>(got));
    }
    _close(saved_->reader);
    return detail::joinLibraryLines(text);
}

}  // namespace sormel
