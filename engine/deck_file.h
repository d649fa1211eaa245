// Reading a deck file whole, with errors a user can act on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/file_error.h"
#include "engine/system_file.h"

namespace sormel {

// Replaces `buffer` with the bytes of the file at `path`. Throws FileError
// naming the file when it cannot be opened or read, when it is not a plain
// file (a FIFO, a device), when reading it would wait, or when it keeps
// growing while it is read. Never waits and never reads without end; safe
// to call from several threads at once.
void readWholeFile(const std::filesystem::path& path, std::string& buffer);
// The same for the file `name` (NUL-terminated bytes) of `folder`.
void readWholeFile(const std::filesystem::path& folder, const char* name, std::string& buffer);

// readWholeFile in two steps, for a reader that wants to know the size
// before it reads: the constructor opens the file and checks that it is a
// plain file, readInto reads it. Each step throws what readWholeFile would.
class OpenedDeckFile {
public:
    // `path` must outlive the object.
    explicit OpenedDeckFile(const std::filesystem::path& path);
    // The file `name` (NUL-terminated bytes) of `folder`; both must outlive
    // the object.
    OpenedDeckFile(const std::filesystem::path& folder, const char* name);

    // The size of the file when it was opened.
    std::uint64_t sizeAtOpen() const { return sizeAtOpen_; }
    // Replaces `buffer` with the bytes of the file; call once.
    void readInto(std::string& buffer);

private:
    // Checks the opened file; throws naming it.
    void checkOpened();
    // The file's path, for a message.
    std::filesystem::path path() const;

    const std::filesystem::path& path_;  // the file's, or its folder's with name_
    const char* name_ = nullptr;
    InputFile file_;
    std::uint64_t sizeAtOpen_ = 0;
};

// How much a file may grow while it is read before the read gives up.
inline constexpr std::uint64_t kDeckGrowthAllowance = 1024 * 1024;

namespace detail {
// Replaces `buffer` with what `read` gives until the end of the file;
// throws FileError naming `path` on a read error or once more than `limit`
// bytes came. `expected` is the size the file is thought to have. With
// `name`, the file is the one of that name in the folder `path`.
void readUpTo(const std::filesystem::path& path, std::string& buffer, std::uint64_t limit,
              const std::function<ReadChunk(char* into, std::size_t size)>& read, std::uint64_t expected = 0,
              const char* name = nullptr);
}  // namespace detail

}  // namespace sormel
