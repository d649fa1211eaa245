#include "window/start_folder.h"

#include "engine/file_error.h"

namespace sormel {

std::optional<std::string> enterStartFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return "フォルダーが見つかりません: " + displayPath(folder);
    std::filesystem::current_path(folder, error);
    if (error) return "フォルダーを開けません: " + displayPath(folder) + " (" + describeSystemError(error.value()) + ")";
    return std::nullopt;
}

}  // namespace sormel
