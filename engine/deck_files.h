// The deck files of a run, held compactly: a run may list a million files,
// and a std::filesystem::path for each costs hundreds of bytes. The folders
// are kept once; the names sit in one block of bytes; each file is an
// offset, a length and the index of its folder. A file's path is made only
// when someone asks for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sormel {

class DeckFiles {
public:
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
    // listing outgrows what it can hold.
    void add(std::uint32_t folder, std::string_view name);
    // Puts files `first` to the end in the order of their names' bytes.
    void sortFrom(std::size_t first);

    std::size_t size() const { return files_.size(); }
    bool empty() const { return files_.empty(); }

    // The file's name in its folder.
    std::string_view name(std::size_t index) const {
        const File& file = files_[index];
        return std::string_view(names_.data() + file.offset, file.length);
    }
    // The same, followed by a NUL byte, for the system's calls.
    const char* nameText(std::size_t index) const { return names_.c_str() + files_[index].offset; }
    std::uint32_t folderIndex(std::size_t index) const { return files_[index].folder; }

    std::size_t folderCount() const { return folders_.size(); }
    const std::filesystem::path& folder(std::uint32_t folderIndex) const { return folders_[folderIndex].path; }
    // The folder the file is in.
    const std::filesystem::path& folderOf(std::size_t index) const { return folder(folderIndex(index)); }

    // The file's whole path: its folder, "/" and its name.
    std::filesystem::path path(std::size_t index) const;
    // The file relative to the listed folder, with "/", as reports show it
    // (valid UTF-8).
    std::string relativeName(std::size_t index) const;

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

    std::vector<Folder> folders_;
    std::string names_;  // every name, each followed by a NUL byte
    std::vector<File> files_;
};

}  // namespace sormel
