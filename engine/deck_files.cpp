#include "engine/deck_files.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
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
    // Files in the order given: none is ever sorted, so none goes to runs.
    DeckFiles files = inMemory();
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
    // Every name's bytes and its NUL must lie within reach of a 32-bit offset.
    if (nameBytes_ + name.size() + 1 > kMostPerField) failTooMany();
    nameBytes_ += name.size() + 1;
    if (size() > openFrom_ && folder != openFolder_) openOfOneFolder_ = false;
    openFolder_ = folder;
    addInMemory(folder, name);
    // Too many names for memory: those of folders already sorted go to the
    // temporary file as they are; the open folder's become a sorted run.
    if (names_.size() < memoryBytes_ || !openOfOneFolder_) return;
    if (!runs_ && !(runs_ = SortedRuns::create())) return keepInMemory();
    if (openFrom_ > storedCount_ && !storeFilesInMemory(openFrom_ - storedCount_)) {
        runs_.reset();
        return keepInMemory();
    }
    addRun();
}

void DeckFiles::addInMemory(std::uint32_t folder, std::string_view name) {
    files_.push_back({static_cast<std::uint32_t>(names_.size()), static_cast<std::uint32_t>(name.size()), folder});
    names_ += name;
    names_ += '\0';
}

bool DeckFiles::storeFilesInMemory(std::size_t count) {
    if (!stored_) {
        std::unique_ptr<StoredNames> stored = StoredNames::create();
        if (!stored) return false;
        stored_ = std::move(stored);
    }
    const auto end = files_.begin() + static_cast<std::ptrdiff_t>(count);
    for (auto file = files_.begin(); file != end; ++file) {
        stored_->add(std::string_view(names_.data() + file->offset, file->length), file->folder);
    }
    stored_->write();
    storedCount_ += count;
    files_.erase(files_.begin(), end);
    return true;
}

void DeckFiles::releaseMemory() {
    files_ = std::vector<File>();
    names_ = std::string();
}

void DeckFiles::addRun() {
    std::vector<std::string_view> run;
    run.reserve(files_.size());
    for (const File& file : files_) run.emplace_back(names_.data() + file.offset, file.length);
    runs_->addRun(run);
    runCount_ += files_.size();
    files_.clear();
    names_.clear();  // kept for the next run's names
}

void DeckFiles::storeMergedRuns() {
    addRun();
    if (!stored_) stored_ = StoredNames::create();
    if (stored_) {
        runs_->merge([&](std::string_view name) { stored_->add(name, openFolder_); });
        stored_->write();
        storedCount_ += runCount_;
        releaseMemory();
    } else {
        // The system gives no second temporary file: the names come back to memory.
        runs_->merge([&](std::string_view name) { addInMemory(openFolder_, name); });
        keepInMemory();
    }
    runCount_ = 0;
    runs_.reset();
}

void DeckFiles::sortFrom(std::size_t first) {
    if (runs_) {
        // Runs are made only of one folder's files, all sorted together.
        if (first != openFrom_) throw std::logic_error("DeckFiles::sortFrom: part of the files are in sorted runs");
        storeMergedRuns();
    } else {
        const std::size_t from = std::min(std::max(first, storedCount_) - storedCount_, files_.size());
        sortFiles(from);
        if (stored_ || names_.size() >= memoryBytes_) {
            if (storeFilesInMemory(files_.size())) {
                releaseMemory();
            } else {
                keepInMemory();
            }
        }
    }
    openFrom_ = size();
    openOfOneFolder_ = true;
}

void DeckFiles::sortFiles(std::size_t from) {
    // Names are compared by their first sixteen bytes as two numbers first:
    // most pairs differ there, and the whole names are compared only when
    // they do not. Bytes past a name's end count as 0, below any byte a
    // name holds, so a name sorts before its longer forms as by its bytes.
    struct Key {
        std::uint64_t head[2];
        std::uint32_t file;
    };
    const auto headOf = [this](const File& file, std::size_t start) {
        std::uint64_t head = 0;
        for (std::size_t k = start; k < start + 8; ++k) {
            const auto byte = k < file.length ? static_cast<unsigned char>(names_[file.offset + k]) : 0u;
            head = (head << 8) | byte;
        }
        return head;
    };
    std::vector<Key> keys;
    keys.reserve(files_.size() - from);
    for (std::size_t i = from; i < files_.size(); ++i) {
        keys.push_back({{headOf(files_[i], 0), headOf(files_[i], 8)}, static_cast<std::uint32_t>(i)});
    }
    const auto nameOf = [this](std::uint32_t i) {
        return std::string_view(names_.data() + files_[i].offset, files_[i].length);
    };
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.head[0] != b.head[0]) return a.head[0] < b.head[0];
        if (a.head[1] != b.head[1]) return a.head[1] < b.head[1];
        return nameOf(a.file) < nameOf(b.file);
    });
    std::vector<File> sorted;
    sorted.reserve(keys.size());
    for (const Key& key : keys) sorted.push_back(files_[key.file]);
    std::copy(sorted.begin(), sorted.end(), files_.begin() + static_cast<std::ptrdiff_t>(from));
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
