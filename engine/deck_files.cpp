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
    DeckFiles files(std::numeric_limits<std::size_t>::max());
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
    files_.push_back({static_cast<std::uint32_t>(names_.size()), static_cast<std::uint32_t>(name.size()), folder});
    names_ += name;
    names_ += '\0';
    // Too many names for memory: those of folders already sorted go to the
    // temporary file as they are; the open folder's become a sorted run.
    if (names_.size() < memoryBytes_ || !openOfOneFolder_) return;
    if (!runs_ && !(runs_ = SortedRuns::create())) {
        memoryBytes_ = std::numeric_limits<std::size_t>::max();  // the system gives no temporary file
        return;
    }
    if (openFrom_ > storedCount_) {
        const auto open = files_.begin() + static_cast<std::ptrdiff_t>(openFrom_ - storedCount_);
        std::vector<File> openFiles(open, files_.end());
        files_.erase(open, files_.end());
        std::string openNames = names_;  // where openFiles point to
        const bool stored = storeFilesInMemory();
        names_ = std::move(openNames);
        files_.insert(files_.end(), openFiles.begin(), openFiles.end());
        if (!stored) {
            runs_.reset();
            memoryBytes_ = std::numeric_limits<std::size_t>::max();
            return;
        }
    }
    addRun();
}

bool DeckFiles::storeFilesInMemory() {
    if (!stored_) {
        std::unique_ptr<StoredNames> stored = StoredNames::create();
        if (!stored) return false;
        stored_ = std::move(stored);
    }
    for (const File& file : files_) {
        stored_->add(std::string_view(names_.data() + file.offset, file.length), file.folder);
    }
    stored_->write();
    storedCount_ += files_.size();
    // What memory held goes, capacity and all.
    files_ = std::vector<File>();
    names_ = std::string();
    return true;
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
    } else {
        // The system gives no second temporary file: the names come back to memory.
        runs_->merge([&](std::string_view name) {
            files_.push_back({static_cast<std::uint32_t>(names_.size()), static_cast<std::uint32_t>(name.size()), openFolder_});
            names_ += name;
            names_ += '\0';
        });
        memoryBytes_ = std::numeric_limits<std::size_t>::max();
    }
    runCount_ = 0;
    runs_.reset();
    if (stored_) {
        files_ = std::vector<File>();
        names_ = std::string();
    }
}

void DeckFiles::sortFrom(std::size_t first) {
    if (runs_) {
        // Runs are made only of one folder's files, all sorted together.
        if (first != openFrom_) throw std::logic_error("DeckFiles::sortFrom: part of the files are in sorted runs");
        storeMergedRuns();
    } else {
        const std::size_t from = std::min(std::max(first, storedCount_) - storedCount_, files_.size());
        const auto nameOf = [this](const File& file) { return std::string_view(names_.data() + file.offset, file.length); };
        std::sort(files_.begin() + static_cast<std::ptrdiff_t>(from), files_.end(),
                  [&](const File& a, const File& b) { return nameOf(a) < nameOf(b); });
        if ((stored_ || names_.size() >= memoryBytes_) && !storeFilesInMemory()) {
            memoryBytes_ = std::numeric_limits<std::size_t>::max();  // the system gives no temporary file
        }
    }
    openFrom_ = size();
    openOfOneFolder_ = true;
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
