// Small pieces the POSIX save is made of: an owned descriptor, writing a
// whole buffer, whether a file's permission bits let the program write,
// and the names of its hidden files.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

struct stat;

namespace sormel::save_system {

class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Descriptor() { reset(); }
    int get() const { return fd_; }
    bool open() const { return fd_ >= 0; }
    int close() {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// openat, retried once with the limit of open files raised as far as the
// system lets the process when that limit is what refused it: a run with
// many outputs still holds a few dozen files open (the first outputs'
// temporary files, each output folder once) besides what the rest of the
// program has open.
int openCounted(int folder, const char* path, int flags, unsigned mode = 0);

// Opens again, for writing, the file `made` describes, which this program
// created as `name` in `folder` and closed meanwhile; any other file put
// under that name (a link, a pipe, a file of someone else's, even on the
// same inode number) is refused with SaveError naming `requested`, without
// its content being touched.
Descriptor reopenOwnFile(int folder, const char* name, const struct stat& made,
                         const std::filesystem::path& requested);

// A short random name, whatever the length of the target's: any name the
// file system accepts must leave room for the temporary one. `kind` is
// "tmp" or "old".
std::string randomHiddenName(const char* kind);

// A pause after the temporary file is written, for tests that stop the
// program with a signal at that moment.
void pauseWhenTestAsks();

// Judged from the process's effective ids (write_permission.h).
bool permitsWriting(const struct stat& status);

// Every byte, or SaveError naming `requested`.
void writeAll(int fd, std::string_view bytes, const std::filesystem::path& requested);
// The same for a pipe or device: a reader that went away is an error, not
// the end of the program by SIGPIPE.
void writeAllToStream(int fd, std::string_view bytes, const std::filesystem::path& requested);

}  // namespace sormel::save_system
