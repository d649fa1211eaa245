// The folder the window opens in, as given on the command line. Its name
// is bytes and stays bytes: a folder whose name is not UTF-8 opens too.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace sormel {

// Makes `folder` the current directory. What went wrong, naming the
// folder, or nothing.
std::optional<std::string> enterStartFolder(const std::filesystem::path& folder);

}  // namespace sormel
