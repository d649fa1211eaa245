#include "engine/system_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

#include "engine/path_bytes.h"

namespace sormel {
namespace {

thread_local FolderDescriptors* threadFolders = nullptr;

// O_NONBLOCK stays set for the reads: a FIFO or a file of /proc whose read
// would wait for data gives EAGAIN rather than hanging the run.
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// The folder part of `path` and where its last name starts; nothing for a
// path without a folder or ending in a slash.
std::optional<std::pair<std::string_view, const char*>> splitFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size()) return std::nullopt;
    return std::pair{std::string_view(path.data(), slash == 0 ? 1 : slash), path.c_str() + slash + 1};
}

}  // namespace

FolderDescriptors::FolderDescriptors() : previous_(threadFolders) { threadFolders = this; }

FolderDescriptors::~FolderDescriptors() {
    if (descriptor_ >= 0) ::close(descriptor_);
    threadFolders = previous_;
}

int InputFile::keptFolder(std::string_view folder) {
    FolderDescriptors* folders = threadFolders;
    if (folders == nullptr || folder.empty()) return -1;
    if (folders->descriptor_ < 0 || folders->folder_ != folder) {
        if (folders->descriptor_ >= 0) ::close(folders->descriptor_);
        folders->folder_.assign(folder);
        folders->descriptor_ = ::open(folders->folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    return folders->descriptor_;
}

void InputFile::open(int folder, const char* name) {
    do {
        descriptor_ = folder >= 0 ? ::openat(folder, name, kOpenFlags) : ::open(name, kOpenFlags);
    } while (descriptor_ < 0 && errno == EINTR);
    if (descriptor_ < 0) openError_ = errno;
}

InputFile::InputFile(const std::filesystem::path& path) {
    const auto parts = threadFolders != nullptr ? splitFolder(path.native()) : std::nullopt;
    // Where the folder cannot be opened, the whole path is, so that the
    // error is the one the file itself gives.
    const int folder = parts ? keptFolder(parts->first) : -1;
    open(folder, folder >= 0 ? parts->second : path.c_str());
}

InputFile::InputFile(const std::filesystem::path& folder, const char* name) {
    const int descriptor = keptFolder(folder.native());
    if (descriptor >= 0) {
        open(descriptor, name);
    } else {
        open(-1, pathInFolder(folder.native(), name).c_str());
    }
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

int forEachFolderEntry(const std::filesystem::path& folder,
                       const std::function<void(std::string_view name, EntryKind kind)>& each) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return errno;
    const int descriptor = ::dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        EntryKind kind = entry->d_type == DT_REG ? EntryKind::Regular : entry->d_type == DT_DIR ? EntryKind::Folder : EntryKind::Other;
        // A link, or a file system that does not say: look at what the name leads to.
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            kind = ::fstatat(descriptor, entry->d_name, &info, 0) != 0 ? EntryKind::Other
                   : S_ISREG(info.st_mode)                         ? EntryKind::Regular
                   : S_ISDIR(info.st_mode)                         ? EntryKind::Folder
                                                                   : EntryKind::Other;
        }
        try {
            each(name, kind);
        } catch (...) {
            ::closedir(dir);
            throw;
        }
    }
    const int error = errno;
    ::closedir(dir);
    return error;
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
