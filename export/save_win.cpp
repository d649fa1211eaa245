// The save's system calls on Windows: a temporary file beside the target,
// flushed and moved over it in one step; a device or console written
// directly. Names are UTF-16 at every call.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "engine/wide_text_win.h"
#include "export/cleanup_win.h"
#include "export/save_error.h"
#include "export/save_system.h"

namespace sormel::save_system {
namespace {

std::wstring randomHiddenName(const wchar_t* kind) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    wchar_t name[40];
    std::swprintf(name, 40, L".sormel-%012llx.%ls", static_cast<unsigned long long>(random() >> 16), kind);
    return name;
}

[[noreturn]] void failLast(const std::filesystem::path& requested) { failSave(errnoFromWindows(GetLastError()), requested); }

// Case differences name the same file on Windows.
std::wstring foldedName(std::wstring name) {
    if (!name.empty()) CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

class Handle {
public:
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(HANDLE handle) {
        reset();
        handle_ = handle;
        return *this;
    }
    ~Handle() { reset(); }
    HANDLE get() const { return handle_; }
    bool open() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool close() {
        const bool ok = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }
    void reset() {
        if (open()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

void pauseWhenTestAsks() {
    const char* pause = std::getenv("SORMEL_CHECKER_TEST_SAVE_PAUSE");
    if (pause && *pause != '\0') Sleep(30'000);
}

}  // namespace

struct PreparedFile::State {
    std::filesystem::path requested;
    std::filesystem::path folder;  // where the temporary file is made
    std::wstring name;             // the target's name in its folder
    std::wstring missingFolder;    // made by putInPlace, see posix_save.cpp
    bool folderMadeHere = false;
    bool existed = false;
    bool stream = false;
    Handle file;
    std::wstring temporaryName;
    CleanupName temporary;
    std::wstring keptName;
    bool keptExists = false;
    bool keepAside = false;
    bool keptIsOnlyCopy = false;
    bool placed = false;
    TargetIdentity identity;

    std::filesystem::path targetFolder() const { return missingFolder.empty() ? folder : folder / missingFolder; }
    std::wstring target() const { return (targetFolder() / name).native(); }
    std::wstring inTarget(const std::wstring& other) const { return (targetFolder() / other).native(); }

    // A device (NUL, CON, a COM port) or a pipe is opened as it is and
    // written directly; a file on a disk is not opened here.
    bool openIfStream() {
        const HANDLE opened = CreateFileW(requested.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (opened == INVALID_HANDLE_VALUE) return false;
        if (GetFileType(opened) == FILE_TYPE_DISK) {
            CloseHandle(opened);
            return false;
        }
        file = opened;
        stream = true;
        identity = {0, 0, {}};
        return true;
    }

    void resolve(bool makeMissing) {
        name = requested.filename().native();
        if (name.empty() || name == L"." || name == L"..") failSave(EISDIR, requested);
        folder = requested.has_parent_path() ? requested.parent_path() : std::filesystem::path(L".");
        const DWORD folderAttributes = GetFileAttributesW(folder.c_str());
        if (folderAttributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            const std::filesystem::path above =
                folder.has_parent_path() && folder.parent_path() != folder ? folder.parent_path() : L".";
            const DWORD aboveAttributes = GetFileAttributesW(above.c_str());
            if ((error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) || !makeMissing ||
                aboveAttributes == INVALID_FILE_ATTRIBUTES || !(aboveAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                failSave(errnoFromWindows(error), requested);
            }
            missingFolder = folder.filename().native();
            folder = above;
            return;
        }
        if (!(folderAttributes & FILE_ATTRIBUTE_DIRECTORY)) failSave(ENOTDIR, requested);
        const DWORD attributes = GetFileAttributesW(target().c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) failSave(errnoFromWindows(error), requested);
            return;
        }
        existed = true;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) failSave(EISDIR, requested);
        if (attributes & FILE_ATTRIBUTE_READONLY) failSave("読み取り専用のファイルです。", requested);
    }

    void takeIdentity() {
        const HANDLE opened = CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (opened == INVALID_HANDLE_VALUE) failLast(requested);
        BY_HANDLE_FILE_INFORMATION info{};
        const bool ok = GetFileInformationByHandle(opened, &info) != 0;
        CloseHandle(opened);
        if (!ok) failLast(requested);
        const std::wstring inFolder = missingFolder.empty() ? name : missingFolder + L"/" + name;
        identity = {info.dwVolumeSerialNumber,
                    (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                    narrow(foldedName(inFolder))};
    }

    void createTemporary() {
        for (int attempt = 0; attempt < 16; ++attempt) {
            temporaryName = randomHiddenName(L"tmp");
            const std::wstring path = (folder / temporaryName).native();
            temporary.hold(path);
            file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file.open()) return;
            const DWORD error = GetLastError();
            temporary.release();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) failSave(errnoFromWindows(error), requested);
        }
        failSave(EEXIST, requested);
    }

    void makeMissingFolder() {
        if (missingFolder.empty() || folderMadeHere) return;
        if (CreateDirectoryW(targetFolder().c_str(), nullptr)) {
            folderMadeHere = true;
        } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
            failLast(requested);
        }
    }

    void removeMadeFolder() {
        if (folderMadeHere && RemoveDirectoryW(targetFolder().c_str())) folderMadeHere = false;
    }

    void removeTemporary() {
        if (!temporary.held()) return;
        DeleteFileW((folder / temporaryName).c_str());
        temporary.release();
    }
};

PreparedFile::PreparedFile(const std::filesystem::path& requested, bool makeMissingFolder)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.requested = requested;
    if (s.openIfStream()) return;
    s.resolve(makeMissingFolder);
    s.takeIdentity();
    s.createTemporary();
}

PreparedFile::~PreparedFile() {
    State& s = *state_;
    s.file.reset();
    s.removeTemporary();
    dropOldContent();
}

bool PreparedFile::isStream() const { return state_->stream; }

const TargetIdentity& PreparedFile::identity() const { return state_->identity; }

void PreparedFile::write(std::string_view bytes) {
    State& s = *state_;
    append(bytes);
    if (s.stream) {
        if (!s.file.close()) failLast(s.requested);
        return;
    }
    finish();
}

// A process may hold millions of handles: the temporary file stays open,
// which also keeps others from opening it meanwhile.
void PreparedFile::setAside() {}

void PreparedFile::append(std::string_view bytes) {
    State& s = *state_;
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(s.file.get(), bytes.data(), chunk, &written, nullptr)) failLast(s.requested);
        bytes.remove_prefix(written);
    }
}

void PreparedFile::finish(Flush) {
    State& s = *state_;
    pauseWhenTestAsks();
    // Windows has no flush of a whole volume for a user: every file is
    // flushed here, and its move is written through.
    // A file system that cannot flush has nothing more to give.
    if (!FlushFileBuffers(s.file.get()) && GetLastError() != ERROR_INVALID_FUNCTION) failLast(s.requested);
    if (!s.file.close()) failLast(s.requested);
}

void PreparedFile::keepOldContent() {
    State& s = *state_;
    if (s.stream || !s.existed || s.keptExists) return;
    for (int attempt = 0; attempt < 16; ++attempt) {
        s.keptName = randomHiddenName(L"old");
        if (CreateHardLinkW(s.inTarget(s.keptName).c_str(), s.target().c_str(), nullptr)) {
            s.keptExists = true;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    // FAT, exFAT and some network shares have no hard links: the old file
    // is moved aside instead, just before the new one takes its name.
    s.keepAside = true;
}

void flushTogether(const std::vector<PreparedFile*>&) {}

void flushFolders(const std::vector<PreparedFile*>&) noexcept {}

void PreparedFile::putInPlace() {
    State& s = *state_;
    if (s.stream) return;
    s.makeMissingFolder();
    if (s.keepAside && !s.keptExists) {
        if (GetFileAttributesW(s.inTarget(s.keptName).c_str()) != INVALID_FILE_ATTRIBUTES) {
            s.keptName = randomHiddenName(L"old");
        }
        if (!MoveFileExW(s.target().c_str(), s.inTarget(s.keptName).c_str(), MOVEFILE_WRITE_THROUGH)) {
            failLast(s.requested);
        }
        s.keptExists = true;
    }
    if (!MoveFileExW((s.folder / s.temporaryName).c_str(), s.target().c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        if (s.keepAside && s.keptExists) {
            if (MoveFileExW(s.inTarget(s.keptName).c_str(), s.target().c_str(), MOVEFILE_WRITE_THROUGH)) {
                s.keptExists = false;
            } else {
                s.keptIsOnlyCopy = true;
            }
        }
        s.removeTemporary();
        s.removeMadeFolder();
        failSave(errnoFromWindows(error), s.requested);
    }
    s.temporary.release();
    s.placed = true;
}

void PreparedFile::putBack() noexcept {
    State& s = *state_;
    if (!s.placed) return;
    if (s.keptExists) {
        if (MoveFileExW(s.inTarget(s.keptName).c_str(), s.target().c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            s.keptExists = false;
        } else {
            s.keptIsOnlyCopy = true;
        }
    } else if (!s.existed) {
        DeleteFileW(s.target().c_str());
    }
    s.removeMadeFolder();
    s.placed = false;
}

void PreparedFile::dropOldContent() noexcept {
    State& s = *state_;
    if (!s.keptExists || s.keptIsOnlyCopy) return;
    DeleteFileW(s.inTarget(s.keptName).c_str());
    s.keptExists = false;
}

}  // namespace sormel::save_system
