#include "engine/deck_listing.h"

#include <algorithm>
#include <system_error>

#include "engine/file_error.h"
#include "engine/path_bytes.h"
#include "engine/shown_names.h"
#include "engine/spill_file.h"
#include "engine/system_file.h"
#include "engine/text_decoding.h"

namespace sormel {
namespace {

char32_t foldCase(char32_t c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Code points of valid UTF-8 text, case-folded.
std::u32string foldedCodePoints(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        out.push_back(foldCase(cp));
        i += length;
    }
    return out;
}

// An ASCII name's bytes as case-folded code points, without making them.
struct FoldedAscii {
    std::string_view bytes;
    std::size_t size() const { return bytes.size(); }
    char32_t operator[](std::size_t i) const { return foldCase(static_cast<unsigned char>(bytes[i])); }
};

// Wildcard match with "*" and "?", backtracking only to the last "*".
// `name` is case-folded code points (a u32string_view or FoldedAscii).
template <typename Name>
bool globMatch(std::u32string_view pattern, const Name& name) {
    std::size_t p = 0, n = 0;
    std::size_t starAt = std::u32string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::u32string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') ++p;
    return p == pattern.size();
}

}  // namespace

std::optional<FileMask> FileMask::parse(std::string_view mask) {
    FileMask result;
    const std::string text = toValidUtf8(mask);
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || b < 0x20 || b == 0x7F) return std::nullopt;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        const std::string_view part = std::string_view(text).substr(start, end - start);
        if (!part.empty()) result.patterns_.push_back(foldedCodePoints(part));
        start = end + 1;
    }
    return result;
}

bool FileMask::matches(std::string_view fileName) const {
    const auto matchesName = [this](const auto& name) {
        for (const std::u32string& pattern : patterns_) {
            if (globMatch(pattern, name)) return true;
            const std::u32string_view view(pattern);
            if (view.size() >= 2 && view.substr(view.size() - 2) == U".*" &&
                globMatch(view.substr(0, view.size() - 2), name)) {
                return true;
            }
        }
        return false;
    };
    // Most names are ASCII: their bytes are their code points.
    if (isAscii(fileName)) return matchesName(FoldedAscii{fileName});
    const std::u32string name = foldedCodePoints(toValidUtf8(fileName));
    return matchesName(std::u32string_view(name));
}

namespace {

// Calls `each` with the name of every entry of `folder` of the given kind,
// leaving out hidden ones (a leading dot), in the system's order.
template <typename Each>
void forEachVisibleEntry(const std::filesystem::path& folder, EntryKind wanted, Each each) {
    const int error = forEachFolderEntry(folder, [&](std::string_view name, EntryKind kind) {
        if (!name.empty() && name[0] != '.' && kind == wanted) each(name);
    });
    if (error != 0) {
        throw FileError("フォルダーを読み込めません。" + describeSystemError(error) + "\nフォルダー: " + displayPath(folder));
    }
}

// Adds the deck files of `folder`, sorted by name, to `files` as the
// folder `relative` of the listing; returns how many there were.
std::size_t addDeckFiles(DeckFiles& files, const std::filesystem::path& folder, std::string relative,
                         const FileMask& mask) {
    const std::size_t first = files.size();
    const std::uint32_t index = files.addFolder(folder, std::move(relative));
    forEachVisibleEntry(folder, EntryKind::Regular, [&](std::string_view name) {
        if (mask.matches(name)) files.add(index, name);
    });
    files.sortFrom(first);
    return files.size() - first;
}

// Makes a listing with `list`, given an empty DeckFiles to fill. Should the
// temporary file of a long listing fail (a full disk), the listing is made
// again with every name in memory, as it would be where the system gives no
// temporary file.
template <typename List>
auto listWithNamesKept(List list) {
    try {
        return list(DeckFiles());
    } catch (const SpillFileError&) {
        return list(DeckFiles::inMemory());
    }
}

}  // namespace

DeckFiles listDeckFiles(const std::filesystem::path& folder, const FileMask& mask) {
    return listWithNamesKept([&](DeckFiles files) {
        addDeckFiles(files, folder, {}, mask);
        return files;
    });
}

std::vector<std::filesystem::path> listSubFolders(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    forEachVisibleEntry(folder, EntryKind::Folder, [&](std::string_view name) { names.emplace_back(name); });
    std::sort(names.begin(), names.end());
    std::vector<std::filesystem::path> paths;
    paths.reserve(names.size());
    const std::string& prefix = pathBytes(folder);
    for (const std::string& name : names) paths.push_back(pathFromBytes(pathInFolder(prefix, name)));
    return paths;
}

namespace {

TypedDeckFiles listByFolder(const std::filesystem::path& folder, const FileMask& mask, DeckFiles files) {
    TypedDeckFiles listing;
    listing.files = std::move(files);
    auto add = [&](std::size_t count, std::size_t type) {
        listing.typeOfFile.append(count, static_cast<std::uint32_t>(type));
    };
    // The loose files and a sub-folder named 分類なし are one type; every
    // other sub-folder is a type of its own, its name made distinct from
    // the others', from 分類なし and from the name of the overall rows.
    std::optional<std::size_t> unsorted;
    auto unsortedType = [&] {
        if (!unsorted) {
            unsorted = listing.typeNames.size();
            listing.typeNames.emplace_back(kUnsortedType);
        }
        return *unsorted;
    };
    if (const std::size_t count = addDeckFiles(listing.files, folder, {}, mask); count > 0) add(count, unsortedType());

    DistinctNames names = distinctTypeNames();
    for (const std::filesystem::path& subFolder : listSubFolders(folder)) {
        const std::string bytes = pathBytes(subFolder.filename());
        const std::size_t count = addDeckFiles(listing.files, subFolder, bytes + '/', mask);
        if (count == 0) continue;
        if (bytes == kUnsortedType) {
            add(count, unsortedType());
            continue;
        }
        add(count, listing.typeNames.size());
        listing.typeNames.push_back(names.give(shownFolderName(bytes)));
    }
    return listing;
}

}  // namespace

TypedDeckFiles listDeckFilesByFolder(const std::filesystem::path& folder, const FileMask& mask) {
    return listWithNamesKept([&](DeckFiles files) { return listByFolder(folder, mask, std::move(files)); });
}

DistinctNames distinctTypeNames() {
    return DistinctNames({std::string(kUnsortedType), std::string(kOverallRowsName)});
}

TypedDeckFiles listTypedDeckFiles(const std::filesystem::path& folder, const FileMask& mask, bool byFolder) {
    if (byFolder) return listDeckFilesByFolder(folder, mask);
    TypedDeckFiles listing;
    listing.files = listDeckFiles(folder, mask);
    listing.typeOfFile = FileTypes(listing.files.size(), 0);
    listing.typeNames.assign(1, std::string(kUnsortedType));
    return listing;
}

}  // namespace sormel
