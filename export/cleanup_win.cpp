#include "export/cleanup_win.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>

#include "export/save_system.h"

namespace sormel::save_system {

struct CleanupEntry {
    std::wstring path;
    bool isFolder = false;
};

namespace {

// The handler runs on a thread of its own, so a mutex guards the names.
std::mutex& namesLock() {
    static std::mutex lock;
    return lock;
}
std::list<CleanupEntry>& names() {
    static std::list<CleanupEntry> held;
    return held;
}
std::atomic<int> openWindows{0};

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT &&
        event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT) {
        return FALSE;
    }
    // Files being put in place are finished first.
    while (openWindows.load() > 0) Sleep(10);
    // Kept locked: no new temporary file is made before the program ends.
    namesLock().lock();
    for (const CleanupEntry& entry : names()) {
        if (entry.isFolder) {
            std::error_code ignored;
            std::filesystem::remove_all(entry.path, ignored);
        } else {
            DeleteFileW(entry.path.c_str());
        }
    }
    // The system's own handling ends the program.
    return FALSE;
}

void installHandlerOnce() {
    static std::once_flag once;
    std::call_once(once, [] { SetConsoleCtrlHandler(onConsoleEvent, TRUE); });
}

}  // namespace

void CleanupName::hold(const std::wstring& path, Kind kind) {
    installHandlerOnce();
    release();
    const std::lock_guard lock(namesLock());
    names().push_back({path, kind == Kind::Folder});
    entry_ = &names().back();
}

void CleanupName::release() {
    if (!entry_) return;
    const std::lock_guard lock(namesLock());
    names().remove_if([this](const CleanupEntry& entry) { return &entry == entry_; });
    entry_ = nullptr;
}

struct CommitWindow::SavedMask {};

CommitWindow::CommitWindow() {
    installHandlerOnce();
    openWindows.fetch_add(1);
}

CommitWindow::~CommitWindow() { openWindows.fetch_sub(1); }

}  // namespace sormel::save_system
