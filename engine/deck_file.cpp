#include "engine/deck_file.h"

#include <algorithm>
#include <cerrno>

#include "engine/path_bytes.h"

namespace sormel {
namespace {

[[noreturn]] void failReading(const std::filesystem::path& path, const std::string& reason) {
    throw FileError("ファイルを読み込めません。" + reason + "\nファイル: " + displayPath(path));
}

// The path of the file `name` of `folder`, or `path` itself without a name.
std::filesystem::path pathOf(const std::filesystem::path& path, const char* name) {
    return name == nullptr ? path : pathFromBytes(pathInFolder(pathBytes(path), name));
}

}  // namespace

namespace detail {

void readUpTo(const std::filesystem::path& path, std::string& buffer, std::uint64_t limit,
              const std::function<ReadChunk(char* into, std::size_t size)>& read, std::uint64_t expected,
              const char* name) {
    // Straight into the buffer: room for the size expected and one byte
    // more, so that a file still of that size takes one read (a short read
    // of a plain file is its end); a larger one grows by blocks, and one
    // expected empty is read to the read of 0 bytes that ends it.
    constexpr std::uint64_t kBlock = 64 * 1024;
    buffer.clear();
    std::uint64_t have = 0;
    for (;;) {
        const std::uint64_t room = have <= expected ? expected + 1 - have : kBlock;
        // One byte past the limit is enough to tell a file that grew too much.
        const std::uint64_t wanted = std::min(room, limit + 1 - have);
        buffer.resize(static_cast<std::size_t>(have + wanted));
        const ReadChunk got = read(buffer.data() + have, static_cast<std::size_t>(wanted));
        if (got.error != 0) {
            buffer.clear();
            failReading(pathOf(path, name), describeSystemError(got.error));
        }
        have += got.bytes;
        buffer.resize(static_cast<std::size_t>(have));
        if (got.bytes == 0 || (expected > 0 && have == expected && got.bytes < wanted)) return;
        if (have > limit) failReading(pathOf(path, name), "読み込み中もファイルが大きくなり続けています。");
    }
}

}  // namespace detail

OpenedDeckFile::OpenedDeckFile(const std::filesystem::path& path) : path_(path), file_(path) { checkOpened(); }

OpenedDeckFile::OpenedDeckFile(const std::filesystem::path& folder, const char* name)
    : path_(folder), name_(name), file_(folder, name) {
    checkOpened();
}

std::filesystem::path OpenedDeckFile::path() const { return pathOf(path_, name_); }

void OpenedDeckFile::checkOpened() {
    if (file_.openError() != 0) failReading(path(), describeSystemError(file_.openError()));
    const InputFile::Status status = file_.status();
    if (status.error != 0) failReading(path(), describeSystemError(status.error));
    if (status.kind == InputFile::Kind::Folder) failReading(path(), describeSystemError(EISDIR));
    if (status.kind != InputFile::Kind::Regular) failReading(path(), "通常のファイルではありません（FIFO やデバイスなど）。");
    sizeAtOpen_ = status.size;
}

void OpenedDeckFile::readInto(std::string& buffer) {
    detail::readUpTo(
        path_, buffer, sizeAtOpen_ + kDeckGrowthAllowance,
        [this](char* into, std::size_t size) { return file_.read(into, size); }, sizeAtOpen_, name_);
}

void readWholeFile(const std::filesystem::path& path, std::string& buffer) {
    OpenedDeckFile file(path);
    file.readInto(buffer);
}

void readWholeFile(const std::filesystem::path& folder, const char* name, std::string& buffer) {
    OpenedDeckFile file(folder, name);
    file.readInto(buffer);
}

}  // namespace sormel
