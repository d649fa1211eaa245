#include "export/private_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>

#include "engine/file_error.h"

namespace sormel {

PrivateFolder::PrivateFolder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) throw std::runtime_error("一時フォルダーが見つかりません。" + describeSystemError(error.value()));
    std::string pattern = (base / "sormel-report-XXXXXX").native();
    // mkdtemp makes the folder with mode 0700 under a name nobody can guess.
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("一時フォルダーを作成できません。" + describeSystemError(errno) +
                                 "\nフォルダー: " + displayPath(base));
    }
    path_ = pattern;
}

PrivateFolder::~PrivateFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace sormel
