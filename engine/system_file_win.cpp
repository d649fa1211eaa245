// Files on Windows: read through the C runtime's descriptors, opened by
// their UTF-16 names; identities from the volume and the file index.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>

#include "engine/path_bytes.h"
#include "engine/system_file.h"
#include "engine/wide_text_win.h"

namespace sormel {

InputFile::InputFile(const std::filesystem::path& path) {
    // Windows has no FIFOs among the files of a folder: nothing to wait for.
    descriptor_ = _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (descriptor_ < 0) {
        openError_ = errno;
        // A folder cannot be opened as a file on Windows; it is not one.
        std::error_code ignored;
        if (openError_ == EACCES && std::filesystem::is_directory(path, ignored)) openError_ = EISDIR;
    }
}

InputFile::InputFile(const std::filesystem::path& folder, const char* name)
    : InputFile(pathFromBytes(pathInFolder(pathBytes(folder), name))) {}

InputFile::~InputFile() {
    if (descriptor_ >= 0) _close(descriptor_);
}

InputFile::Status InputFile::status() const {
    struct _stat64 info {};
    if (_fstat64(descriptor_, &info) != 0) return {Kind::Other, 0, errno};
    const Kind kind = (info.st_mode & _S_IFMT) == _S_IFREG   ? Kind::Regular
                      : (info.st_mode & _S_IFMT) == _S_IFDIR ? Kind::Folder
                                                             : Kind::Other;
    return {kind, static_cast<std::uint64_t>(info.st_size), 0};
}

ReadChunk InputFile::read(char* into, std::size_t size) {
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    const int got = _read(descriptor_, into, chunk);
    if (got < 0) return {0, errno};
    return {static_cast<std::size_t>(got), 0};
}

// Windows opens a file by its whole path: there is no folder handle to keep.
FolderDescriptors::FolderDescriptors() = default;
FolderDescriptors::~FolderDescriptors() = default;

int forEachFolderEntry(const std::filesystem::path& folder,
                       const std::function<void(std::string_view name, EntryKind kind)>& each) {
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = (folder / L"*").native();
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : errnoFromWindows(error);
    }
    int result = 0;
    do {
        const std::wstring_view name(entry.cFileName);
        if (name == L"." || name == L"..") continue;
        EntryKind kind = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::Regular;
        // A link or junction is followed to what it leads to.
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            std::error_code error;
            const auto target = std::filesystem::status(folder / std::wstring(name), error);
            kind = error                                      ? EntryKind::Other
                   : std::filesystem::is_directory(target)    ? EntryKind::Folder
                   : std::filesystem::is_regular_file(target) ? EntryKind::Regular
                                                              : EntryKind::Other;
        }
        try {
            each(narrow(name), kind);
        } catch (...) {
            FindClose(search);
            throw;
        }
    } while (FindNextFileW(search, &entry));
    if (GetLastError() != ERROR_NO_MORE_FILES) result = errnoFromWindows(GetLastError());
    FindClose(search);
    return result;
}

namespace {

std::optional<BY_HANDLE_FILE_INFORMATION> fileInformation(const std::filesystem::path& path) {
    // Backup semantics let a folder be opened too; no access is asked.
    const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return info;
}

}  // namespace

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
    const auto info = fileInformation(path);
    if (!info) return std::nullopt;
    return FileIdentity{info->dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info->nFileIndexHigh) << 32) | info->nFileIndexLow};
}

std::optional<std::uint64_t> fileLinkCount(const std::filesystem::path& path) {
    const auto info = fileInformation(path);
    if (!info) return std::nullopt;
    return info->nNumberOfLinks;
}

}  // namespace sormel
