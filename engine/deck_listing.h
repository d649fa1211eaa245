// Which files of a folder are deck files: the plain files directly in it
// whose names match a file mask, hidden (dot) files left out, sorted by name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sormel {

// One or more patterns separated by ";", with "*" for any run of
// characters and "?" for one character, matched without regard to letter
// case. A pattern ending in ".*" also matches a name without extension, so
// "*.*" matches every name.
class FileMask {
public:
    // Nothing for a mask no file name could match: one holding a path
    // separator or a control character.
    static std::optional<FileMask> parse(std::string_view mask);
    bool matches(std::string_view fileName) const;

private:
    std::vector<std::u32string> patterns_;
};

// The deck files of `folder` for `mask`, sorted by name. Throws FileError
// when the folder cannot be read.
std::vector<std::filesystem::path> listDeckFiles(const std::filesystem::path& folder, const FileMask& mask);

}  // namespace sormel
