// A temporary file of the program's own for data too large to keep in
// memory: written at its end, read back through a mapping that stays put
// while the file grows. The file has no name in any folder and is gone
// when the object is. The only engine file that maps memory; a port to
// another system replaces spill_file_posix.cpp (the Windows build makes
// none, and its listings stay in memory).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

#include "engine/file_error.h"

namespace sormel {

// A spill file could not take more bytes: its disk is full, or a limit on
// file sizes is reached. What was written can still be read.
class SpillFileError : public FileError {
public:
    using FileError::FileError;
};

class SpillFile {
public:
    // The most bytes a spill file holds.
    static constexpr std::uint64_t kMostBytes = std::uint64_t{1} << 32;

    // A new, empty file in the system's temporary folder; nothing when the
    // system gives none (no such folder, no room for the mapping).
    static std::unique_ptr<SpillFile> create();
    ~SpillFile();
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;

    // Adds `bytes` at the end. Throws SpillFileError when they cannot be
    // written or the file would outgrow kMostBytes.
    void append(std::string_view bytes);
    std::uint64_t size() const { return size_; }

    // Reads `size` bytes from `offset` (all below size()) into `into`.
    // Throws FileError when they cannot be read.
    void readAt(std::uint64_t offset, char* into, std::size_t size) const;

    // The file's bytes: those below size() may be read, from any thread;
    // the pointer stays valid for the object's life.
    const char* bytes() const { return mapping_; }

    // Tells the system that the pages from the one holding byte `from` up
    // to the one holding byte `to` (not that one) are not needed soon: they
    // leave the process's memory, and are read from the file again should
    // they be read. Safe while other threads read them.
    void letGo(std::uint64_t from, std::uint64_t to) const;

private:
    SpillFile(int descriptor, const char* mapping) : descriptor_(descriptor), mapping_(mapping) {}

    int descriptor_;
    const char* mapping_;
    std::filesystem::path folder_;  // where the file is, for messages
    std::uint64_t size_ = 0;
};

}  // namespace sormel
