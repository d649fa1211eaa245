// The names of a long listing, kept in a temporary file rather than in
// memory: a million deck files would otherwise hold tens of megabytes of
// names for the whole run. The names sit in the file in the listing's
// order, each followed by a NUL byte; memory holds where every 16th one
// starts and where each folder's files begin. Reading the files in order
// lets the pages behind go again, so that memory stays flat however many
// files there are.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file_types.h"
#include "engine/spill_file.h"

namespace sormel {

class StoredNames {
public:
    // Nothing when the system gives no temporary file.
    static std::unique_ptr<StoredNames> create();

    // Adds the file `name` of folder `folder` after the others. Readable
    // once written().
    void add(std::string_view name, std::uint32_t folder);
    // Writes what add() gathered; throws FileError when it cannot.
    void write();

    std::size_t size() const { return count_; }
    // The file's name, NUL-terminated; valid while the object lives.
    const char* nameText(std::size_t index) const;
    std::uint32_t folderIndex(std::size_t index) const { return folders_[index]; }
    // Files before `index` are not needed soon (see SpillFile::letGo).
    void letGoBefore(std::size_t index) const;

private:
    explicit StoredNames(std::unique_ptr<SpillFile> file) : file_(std::move(file)) {}

    static constexpr std::size_t kStep = 16;  // names between two known starts
    std::unique_ptr<SpillFile> file_;
    std::string pending_;                   // added and not yet written
    std::vector<std::uint32_t> starts_;     // of files 0, kStep, 2 kStep, …
    FileTypes folders_;                     // each file's folder, kept as runs as types are
    std::size_t count_ = 0;
};

// Sorts more names than memory should hold: runs of names, each sorted in
// memory, wait in a temporary file and are merged as they are handed on,
// each run read a small piece at a time.
class SortedRuns {
public:
    // Nothing when the system gives no temporary file.
    static std::unique_ptr<SortedRuns> create();

    // Adds a run: `names`, which it sorts (by their bytes) and writes.
    void addRun(std::vector<std::string_view>& names);
    // Calls `each` with every name of every run, in the order of their
    // bytes. Throws FileError when a run cannot be read back.
    template <typename Each>
    void merge(Each each) const;

private:
    explicit SortedRuns(std::unique_ptr<SpillFile> file) : file_(std::move(file)) {}

    // Where the merge is in one run.
    struct Cursor {
        std::uint64_t next;  // the run's first byte not yet read
        std::uint64_t end;   // the run's end
        std::string read;    // bytes read and not yet passed
        std::size_t at = 0;  // the current name's start in `read`
        std::size_t length = 0;  // and its length, once read whole
        std::string_view name() const { return std::string_view(read.data() + at, length); }
    };
    // Makes sure the cursor's current name was read whole, and notes its
    // length; false at the run's end.
    bool fill(Cursor& cursor) const;

    std::unique_ptr<SpillFile> file_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> runs_;  // [start, end) of each
};

template <typename Each>
void SortedRuns::merge(Each each) const {
    std::vector<Cursor> cursors;
    for (const auto& [start, end] : runs_) {
        cursors.push_back({start, end, {}, 0});
        fill(cursors.back());
    }
    // A heap of the runs by their current names, the least on top.
    std::vector<std::size_t> heap(cursors.size());
    for (std::size_t i = 0; i < heap.size(); ++i) heap[i] = i;
    const auto later = [&](std::size_t a, std::size_t b) { return cursors[b].name() < cursors[a].name(); };
    std::make_heap(heap.begin(), heap.end(), later);
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), later);
        Cursor& least = cursors[heap.back()];
        each(least.name());
        least.at += least.length + 1;
        if (fill(least)) {
            std::push_heap(heap.begin(), heap.end(), later);
        } else {
            heap.pop_back();
        }
    }
}

}  // namespace sormel
