#include "engine/system_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sormel {

InputFile::InputFile(const std::filesystem::path& path) {
    // O_NONBLOCK stays set for the reads: a FIFO or a file of /proc whose
    // read would wait for data gives EAGAIN rather than hanging the run.
    do {
        descriptor_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (descriptor_ < 0 && errno == EINTR);
    if (descriptor_ < 0) openError_ = errno;
}

InputFile::~InputFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

InputFile::Status InputFile::status() const {
    struct stat info {};
    if (::fstat(descriptor_, &info) != 0) return {Kind::Other, 0, errno};
    const Kind kind = S_ISREG(info.st_mode) ? Kind::Regular : S_ISDIR(info.st_mode) ? Kind::Folder : Kind::Other;
    return {kind, static_cast<std::uint64_t>(info.st_size), 0};
}

ReadChunk InputFile::read(char* into, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(descriptor_, into, size);
        if (got >= 0) return {static_cast<std::size_t>(got), 0};
        if (errno != EINTR) return {0, errno};
    }
}

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<std::uint64_t> fileLinkCount(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_nlink);
}

}  // namespace sormel
