// The deck files of a run, held compactly: a run may list a million files,
// and a std::filesystem::path for each costs hundreds of bytes. The folders
// are kept once; the names sit in one block of bytes; each file is an
// offset, a length and the index of its folder. A file's path is made only
// when someone asks for it. A long listing keeps its names in a temporary
// file instead (stored_names.h), so that its memory does not grow with the
// number of files; copies share that file, so a listing is copied once made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/stored_names.h"

namespace sormel {

class DeckFiles {
public:
    // Names in memory beyond which a listing moves them to a temporary file.
    static constexpr std::size_t kMemoryBytes = 512 * 1024;

    // A listing whose names go to a temporary file once they outgrow
    // `memoryBytes` (and stay in memory where the system gives none).
    DeckFiles() = default;
    explicit DeckFiles(std::size_t memoryBytes) : memoryBytes_(memoryBytes) {}
    // A listing that keeps every name in memory, however many.
    static DeckFiles inMemory() { return DeckFiles(std::numeric_limits<std::size_t>::max()); }

    // The files at `paths`, in that order, each in the folder its path
    // names; their relative names are their names alone.
    static DeckFiles ofPaths(const std::vector<std::filesystem::path>& paths);

    // Adds a folder the files may be in. `relative` is where it lies in the
    // folder the listing was made of, as a report names it: empty for that
    // folder itself, otherwise the names with "/" after each ("速攻/").
    // Returns the folder's index.
    std::uint32_t addFolder(std::filesystem::path folder, std::string relative = {});
    // Adds the file `name` (its bytes, as pathBytes gives them) of folder
    // `folder`, after the files added so far. Throws FileError when the
    // listing outgrows what it can hold, or its temporary file fails.
    void add(std::uint32_t folder, std::string_view name);
    // Puts files `first` to the end in the order of their names' bytes.
    // `first` is at or after the end of the last call's files. Files added
    // since that call are read only after this one.
    void sortFrom(std::size_t first);

    std::size_t size() const { return storedCount_ + runCount_ + files_.size(); }
    bool empty() const { return size() == 0; }

    // The file's name in its folder.
    std::string_view name(std::size_t index) const {
        if (index < storedCount_) return stored_->nameText(index);
        const File& file = files_[index - storedCount_];
        return std::string_view(names_.data() + file.offset, file.length);
    }
    // The same, followed by a NUL byte, for the system's calls.
    const char* nameText(std::size_t index) const {
        if (index < storedCount_) return stored_->nameText(index);
        return names_.c_str() + files_[index - storedCount_].offset;
    }
    std::uint32_t folderIndex(std::size_t index) const {
        if (index < storedCount_) return stored_->folderIndex(index);
        return files_[index - storedCount_].folder;
    }

    std::size_t folderCount() const { return folders_.size(); }
    const std::filesystem::path& folder(std::uint32_t folderIndex) const { return folders_[folderIndex].path; }
    // The folder the file is in.
    const std::filesystem::path& folderOf(std::size_t index) const { return folder(folderIndex(index)); }

    // The file's whole path: its folder, "/" and its name.
    std::filesystem::path path(std::size_t index) const;
    // The file relative to the listed folder, with "/", as reports show it
    // (valid UTF-8).
    std::string relativeName(std::size_t index) const;

    // The files before `index` are not read again soon: a long listing lets
    // their names leave memory (they are read back should they be asked
    // for). Whoever reads them all in turn says so every kLetGoEvery files.
    static constexpr std::size_t kLetGoEvery = 4096;
    void letGoBefore(std::size_t index) const {
        if (stored_) stored_->letGoBefore(index);
    }

private:
    struct Folder {
        std::filesystem::path path;
        std::string relative;
    };
    struct File {
        std::uint32_t offset;  // into names_
        std::uint32_t length;
        std::uint32_t folder;  // into folders_
    };

    // The file `name` of `folder` after those in memory.
    void addInMemory(std::uint32_t folder, std::string_view name);
    // Moves the first `count` files held in memory to the temporary file,
    // in their order (their names' bytes stay); false where the system
    // gives no such file.
    bool storeFilesInMemory(std::size_t count);
    // Lets go of the memory the files held, capacity and all.
    void releaseMemory();
    // The system gives no temporary file: every name stays in memory.
    void keepInMemory() { memoryBytes_ = std::numeric_limits<std::size_t>::max(); }
    // Puts the files in memory from `from` on in the order of their names.
    void sortFiles(std::size_t from);
    // Sorts the open folder's files held in memory into a run of their own.
    void addRun();
    // The open folder's files: those of its runs and those in memory, in
    // the order of their names, to the temporary file.
    void storeMergedRuns();

    std::vector<Folder> folders_;
    std::size_t memoryBytes_ = kMemoryBytes;
    std::uint64_t nameBytes_ = 0;  // of every name, each with its NUL
    // Files [0, storedCount_) are in the temporary file; the others in memory.
    std::shared_ptr<StoredNames> stored_;
    std::size_t storedCount_ = 0;
    std::string names_;  // every name in memory, each followed by a NUL byte
    std::vector<File> files_;
    // The files since the last sortFrom ("open"), while they are all of one
    // folder: runs of them already sorted, waiting in a temporary file.
    std::size_t openFrom_ = 0;
    std::uint32_t openFolder_ = 0;
    bool openOfOneFolder_ = true;
    std::shared_ptr<SortedRuns> runs_;
    std::size_t runCount_ = 0;  // files in runs_
};

}  // namespace sormel
