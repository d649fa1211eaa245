// Files as the operating system gives them: opening a file for reading
// without ever waiting, and telling whether two paths name the same file.
// The only engine file that calls the system for file contents; a port to
// another system replaces system_file_posix.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sormel {

// What one read gave: `bytes` read (0 at the end of the file), or a system
// error number in `error`.
struct ReadChunk {
    std::size_t bytes = 0;
    int error = 0;
};

// A file opened for reading that never keeps its reader waiting: opening
// does not wait for a writer, and a read that would wait fails (EAGAIN)
// instead of blocking. Usable from any thread; one object per thread.
class InputFile {
public:
    explicit InputFile(const std::filesystem::path& path);
    // The file `name` (NUL-terminated bytes) of `folder`.
    InputFile(const std::filesystem::path& folder, const char* name);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The system error number of a failed open, 0 when the file is open.
    int openError() const { return openError_; }

    // What the opened file is, as it was when asked.
    enum class Kind { Regular, Folder, Other /* a FIFO, device or socket */ };
    struct Status {
        Kind kind = Kind::Other;
        std::uint64_t size = 0;
        int error = 0;
    };
    Status status() const;

    ReadChunk read(char* into, std::size_t size);

private:
    // The descriptor the thread's FolderDescriptors keeps for `folder`, made
    // when it held another; -1 without one, or when it cannot be opened.
    static int keptFolder(std::string_view folder);
    // Opens `name` in the folder of descriptor `folder`, or as a path of its
    // own when `folder` is -1.
    void open(int folder, const char* name);

    int descriptor_ = -1;
    int openError_ = 0;
};

// While one lives on a thread, InputFile opens the files it is given on
// that thread relative to their folder, whose descriptor it keeps for the
// next file of the same folder: the system then looks up one name rather
// than every folder of the path again. Made on the stack of the thread that
// reads, for as long as it reads a listing; opening works the same without.
class FolderDescriptors {
public:
    FolderDescriptors();
    ~FolderDescriptors();
    FolderDescriptors(const FolderDescriptors&) = delete;
    FolderDescriptors& operator=(const FolderDescriptors&) = delete;

private:
    friend class InputFile;
    FolderDescriptors* previous_ = nullptr;
    std::string folder_;
    int descriptor_ = -1;
};

// What a folder entry leads to, links followed.
enum class EntryKind { Regular, Folder, Other /* a FIFO, device, socket, dangling link or one that cannot be looked at */ };

// Calls `each` with the name (bytes as the system gives them) and kind of
// every entry of `folder` but "." and "..", in the system's order. Returns
// 0, or the system error number when the folder cannot be read to its end.
int forEachFolderEntry(const std::filesystem::path& folder,
                       const std::function<void(std::string_view name, EntryKind kind)>& each);

// Which file a path leads to, links followed.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Nothing when the path leads to no file that can be looked at.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path);

// How many names (hard links) the file a path leads to has; nothing when
// it cannot be looked at.
std::optional<std::uint64_t> fileLinkCount(const std::filesystem::path& path);

}  // namespace sormel
