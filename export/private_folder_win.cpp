#include <windows.h>

#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#include "engine/file_error.h"
#include "engine/wide_text_win.h"
#include "export/cleanup_win.h"
#include "export/private_folder.h"
#include "export/save_system.h"

namespace sormel {

struct PrivateFolder::Registration {
    save_system::CleanupName name;
};

namespace {

// Libraries that open files by narrow names take them in the system's
// code page: a temporary folder under a user name it cannot hold is given
// by its short (8.3) name where the volume has one.
std::filesystem::path narrowSafe(const std::filesystem::path& folder) {
    const std::wstring& wide = folder.native();
    bool ascii = true;
    for (const wchar_t c : wide) ascii = ascii && c < 0x80;
    if (ascii) return folder;
    wchar_t shortName[MAX_PATH];
    const DWORD length = GetShortPathNameW(wide.c_str(), shortName, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return folder;
    return std::filesystem::path(std::wstring(shortName, length));
}

}  // namespace

PrivateFolder::PrivateFolder() : registration_(std::make_unique<Registration>()) {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) throw std::runtime_error("一時フォルダーが見つかりません。" + describeSystemError(error.value()));
    std::random_device seed;
    std::mt19937_64 random(seed());
    // The user's own temporary folder: other users cannot enter it.
    const save_system::CommitWindow window;
    for (int attempt = 0;; ++attempt) {
        const std::filesystem::path candidate = base / ("sormel-report-" + std::to_string(random() >> 16));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = narrowSafe(candidate);
            break;
        }
        const DWORD failure = GetLastError();
        if (failure != ERROR_ALREADY_EXISTS || attempt == 16) {
            throw std::runtime_error("一時フォルダーを作成できません。" + describeSystemError(errnoFromWindows(failure)) +
                                     "\nフォルダー: " + displayPath(base));
        }
    }
    registration_->name.hold(path_.native(), save_system::CleanupName::Kind::Folder);
}

PrivateFolder::~PrivateFolder() {
    registration_->name.release();
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace sormel
