#include "engine/spill_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "engine/file_error.h"

namespace sormel {
namespace {

std::uintptr_t pageSize() {
    static const long size = ::sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<std::uintptr_t>(size) : 4096;
}

}  // namespace

std::unique_ptr<SpillFile> SpillFile::create() {
    if constexpr (sizeof(void*) < 8) return nullptr;  // no room to map 4 GiB
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) return nullptr;
    int descriptor = -1;
    do {
        descriptor = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) return nullptr;
    // The whole of what the file may grow to is mapped at once: pages past
    // its end are never read, and each becomes readable as the file reaches it.
    void* mapping = ::mmap(nullptr, kMostBytes, PROT_READ, MAP_SHARED, descriptor, 0);
    if (mapping == MAP_FAILED) {
        ::close(descriptor);
        return nullptr;
    }
    auto file = std::unique_ptr<SpillFile>(new SpillFile(descriptor, static_cast<const char*>(mapping)));
    file->folder_ = folder;
    return file;
}

SpillFile::~SpillFile() {
    ::munmap(const_cast<char*>(mapping_), kMostBytes);
    ::close(descriptor_);
}

void SpillFile::append(std::string_view bytes) {
    if (bytes.size() > kMostBytes - size_) {
        throw SpillFileError("一時ファイルに入りきりません（4 GiB まで）。\nフォルダー: " + displayPath(folder_));
    }
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(descriptor_, bytes.data(), bytes.size(), static_cast<off_t>(size_));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            throw SpillFileError("一時ファイルに書き込めません。" + describeSystemError(error) + "\nフォルダー: " + displayPath(folder_));
        }
        size_ += static_cast<std::uint64_t>(written);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void SpillFile::readAt(std::uint64_t offset, char* into, std::size_t size) const {
    while (size > 0) {
        const ssize_t read = ::pread(descriptor_, into, size, static_cast<off_t>(offset));
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) {
            const int error = read < 0 ? errno : EIO;
            throw FileError("一時ファイルを読み込めません。" + describeSystemError(error) + "\nフォルダー: " + displayPath(folder_));
        }
        into += read;
        size -= static_cast<std::size_t>(read);
        offset += static_cast<std::uint64_t>(read);
    }
}

void SpillFile::letGo(std::uint64_t from, std::uint64_t to) const {
    const std::uintptr_t page = pageSize();
    const auto base = reinterpret_cast<std::uintptr_t>(mapping_);
    const std::uintptr_t first = (base + from) / page * page;
    const std::uintptr_t last = (base + to) / page * page;
    if (first < last) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

}  // namespace sormel
