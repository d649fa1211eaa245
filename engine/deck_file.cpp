#include "engine/deck_file.h"

#include <algorithm>
#include <cerrno>
#include <memory>

namespace sormel {
namespace {

[[noreturn]] void failReading(const std::filesystem::path& path, const std::string& reason) {
    throw FileError("ファイルを読み込めません。" + reason + "\nファイル: " + displayPath(path));
}

}  // namespace

namespace detail {

void readUpTo(const std::filesystem::path& path, std::string& buffer, std::uint64_t limit,
              const std::function<ReadChunk(char* into, std::size_t size)>& read) {
    buffer.clear();
    constexpr std::size_t kChunk = 64 * 1024;
    thread_local std::unique_ptr<char[]> chunk(new char[kChunk]);
    for (;;) {
        // One byte past the limit is enough to tell a file that grew too much.
        const std::uint64_t wanted = std::min<std::uint64_t>(kChunk, limit + 1 - buffer.size());
        const ReadChunk got = read(chunk.get(), static_cast<std::size_t>(wanted));
        if (got.error != 0) failReading(path, describeSystemError(got.error));
        if (got.bytes == 0) return;
        buffer.append(chunk.get(), got.bytes);
        if (buffer.size() > limit) failReading(path, "読み込み中もファイルが大きくなり続けています。");
    }
}

}  // namespace detail

OpenedDeckFile::OpenedDeckFile(const std::filesystem::path& path) : path_(path), file_(path) {
    if (file_.openError() != 0) failReading(path, describeSystemError(file_.openError()));
    const InputFile::Status status = file_.status();
    if (status.error != 0) failReading(path, describeSystemError(status.error));
    if (status.kind == InputFile::Kind::Folder) failReading(path, describeSystemError(EISDIR));
    if (status.kind != InputFile::Kind::Regular) failReading(path, "通常のファイルではありません（FIFO やデバイスなど）。");
    sizeAtOpen_ = status.size;
}

void OpenedDeckFile::readInto(std::string& buffer) {
    detail::readUpTo(path_, buffer, sizeAtOpen_ + kDeckGrowthAllowance,
                     [this](char* into, std::size_t size) { return file_.read(into, size); });
}

void readWholeFile(const std::filesystem::path& path, std::string& buffer) {
    OpenedDeckFile file(path);
    file.readInto(buffer);
}

}  // namespace sormel
