#include "engine/deck_files.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "engine/file_error.h"
#include "engine/path_bytes.h"
#include "engine/text_decoding.h"

namespace sormel {
namespace {

constexpr std::size_t kMostPerField = std::numeric_limits<std::uint32_t>::max();

[[noreturn]] void failTooMany() {
    throw FileError("デッキファイルが多すぎて一覧にできません（ファイル名の合計が 4 GiB まで、フォルダーが 4,294,967,295 個までです）。");
}

}  // namespace

DeckFiles DeckFiles::ofPaths(const std::vector<std::filesystem::path>& paths) {
    DeckFiles files;
    for (const std::filesystem::path& path : paths) {
        std::filesystem::path folder = path.parent_path();
        if (files.folders_.empty() || files.folders_.back().path != folder) files.addFolder(std::move(folder));
        files.add(static_cast<std::uint32_t>(files.folders_.size() - 1), pathBytes(path.filename()));
    }
    return files;
}

std::uint32_t DeckFiles::addFolder(std::filesystem::path folder, std::string relative) {
    if (folders_.size() >= kMostPerField) failTooMany();
    folders_.push_back({std::move(folder), std::move(relative)});
    return static_cast<std::uint32_t>(folders_.size() - 1);
}

void DeckFiles::add(std::uint32_t folder, std::string_view name) {
    // The name's bytes and its NUL must lie within reach of a 32-bit offset.
    if (names_.size() + name.size() + 1 > kMostPerField) failTooMany();
    files_.push_back({static_cast<std::uint32_t>(names_.size()), static_cast<std::uint32_t>(name.size()), folder});
    names_ += name;
    names_ += '\0';
}

void DeckFiles::sortFrom(std::size_t first) {
    const auto begin = files_.begin() + static_cast<std::ptrdiff_t>(std::min(first, files_.size()));
    const auto nameOf = [this](const File& file) { return std::string_view(names_.data() + file.offset, file.length); };
    std::sort(begin, files_.end(), [&](const File& a, const File& b) { return nameOf(a) < nameOf(b); });
}

std::filesystem::path DeckFiles::path(std::size_t index) const {
    return pathFromBytes(pathInFolder(pathBytes(folderOf(index)), name(index)));
}

std::string DeckFiles::relativeName(std::size_t index) const {
    std::string bytes = folders_[folderIndex(index)].relative;
    bytes += name(index);
    return toValidUtf8(bytes);
}

}  // namespace sormel
