// Which files of a folder are deck files: the plain files directly in it
// whose names match a file mask, hidden (dot) files left out, sorted by name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/deck_files.h"
#include "engine/file_types.h"
#include "engine/shown_names.h"

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
DeckFiles listDeckFiles(const std::filesystem::path& folder, const FileMask& mask);

// The first-level sub-folders of `folder`, hidden ones left out, sorted
// by their names' bytes. Throws FileError when the folder cannot be read.
std::vector<std::filesystem::path> listSubFolders(const std::filesystem::path& folder);

// The files directly in a folder and in each of its first-level sub-folders
// (hidden ones left out), with each file's deck type: the files directly in
// the folder first, then each sub-folder by name (its bytes). Each
// sub-folder is a type of its own, shown by its name as shownFolderName
// decodes it; the files directly in the folder, and those of a sub-folder
// named 分類なし, have the type 分類なし. A type that would show the name of
// another, 分類なし or 全体 gets " (2)", " (3)" … A sub-folder without a
// matching file is no type.
struct TypedDeckFiles {
    DeckFiles files;
    FileTypes typeOfFile;  // index into typeNames, per file
    std::vector<std::string> typeNames;   // in the order first met, as UTF-8, all different
};

inline constexpr std::string_view kUnsortedType = "分類なし";
// What the reports call their rows over all decks; no type shows it.
inline constexpr std::string_view kOverallRowsName = "全体";

// Names for the types of one listing, with 分類なし and 全体 already taken.
DistinctNames distinctTypeNames();

TypedDeckFiles listDeckFilesByFolder(const std::filesystem::path& folder, const FileMask& mask);

// The files of `folder` with their types: by sub-folder when `byFolder`,
// otherwise the files directly in it, all of the type 分類なし.
TypedDeckFiles listTypedDeckFiles(const std::filesystem::path& folder, const FileMask& mask, bool byFolder);

}  // namespace sormel
