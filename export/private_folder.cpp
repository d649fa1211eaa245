#include "export/private_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>

#include "engine/file_error.h"
#include "export/posix_cleanup.h"
#include "export/save_system.h"

namespace sormel {

// The folder's name in the temporary folder, for the signal handler.
struct PrivateFolder::Registration {
    int base = -1;
    save_system::RegisteredName name;
    ~Registration() {
        name.release();
        if (base >= 0) close(base);
    }
};

PrivateFolder::PrivateFolder() : registration_(std::make_unique<Registration>()) {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) throw std::runtime_error("一時フォルダーが見つかりません。" + describeSystemError(error.value()));
    registration_->base = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (registration_->base < 0) {
        throw std::runtime_error("一時フォルダーを開けません。" + describeSystemError(errno) +
                                 "\nフォルダー: " + displayPath(base));
    }
    std::string pattern = (base / "sormel-report-XXXXXX").native();
    // No signal may come between making the folder and registering it.
    const save_system::CommitWindow window;
    // mkdtemp makes the folder with mode 0700 under a name nobody can guess.
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("一時フォルダーを作成できません。" + describeSystemError(errno) +
                                 "\nフォルダー: " + displayPath(base));
    }
    path_ = pattern;
    registration_->name.hold(registration_->base, path_.filename().c_str(),
                             save_system::RegisteredName::Kind::Folder);
}

PrivateFolder::~PrivateFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace sormel
