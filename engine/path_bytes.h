// Paths as the program's text: the bytes of the name as they are on POSIX
// systems; UTF-8 with "/" between the names on Windows, whose system keeps
// names in UTF-16. Paths given as text (the command line, settings) are
// made with pathFromBytes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

namespace sormel {

#ifdef _WIN32
std::string pathBytes(const std::filesystem::path& path);
std::filesystem::path pathFromBytes(const std::string& bytes);
#else
inline const std::string& pathBytes(const std::filesystem::path& path) { return path.native(); }
inline std::filesystem::path pathFromBytes(std::string bytes) { return std::filesystem::path(std::move(bytes)); }
#endif

// The bytes of the path of the file `name` in the folder whose path's bytes
// are `folder`: the folder, "/" unless it ends in one, and the name.
inline std::string pathInFolder(const std::string& folder, std::string_view name) {
    std::string bytes;
    bytes.reserve(folder.size() + 1 + name.size());
    bytes += folder;
    if (!bytes.empty() && bytes.back() != '/') bytes += '/';
    bytes += name;
    return bytes;
}

}  // namespace sormel
