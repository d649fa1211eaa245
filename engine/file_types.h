// Each file's deck type, kept as runs of files of one type: the files of a
// sub-folder are one run, however many there are.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace sormel {

class FileTypes {
public:
    FileTypes() = default;
    // `count` files, all of type `type`.
    FileTypes(std::size_t count, std::uint32_t type) { append(count, type); }
    // The types of files 0, 1, 2, … in turn.
    FileTypes(std::initializer_list<std::uint32_t> types) {
        for (const std::uint32_t type : types) append(1, type);
    }

    // `count` more files of type `type`.
    void append(std::size_t count, std::uint32_t type) {
        if (count == 0) return;
        if (!runs_.empty() && runs_.back().type == type) {
            runs_.back().end += count;
        } else {
            runs_.push_back({size() + count, type});
        }
    }

    std::size_t size() const { return runs_.empty() ? 0 : runs_.back().end; }

    // The type of file `file` (below size()).
    std::uint32_t operator[](std::size_t file) const {
        return std::upper_bound(runs_.begin(), runs_.end(), file,
                                [](std::size_t index, const Run& run) { return index < run.end; })
            ->type;
    }

    // Calls `each(type, first, end)` for every run of files [first, end), in order.
    template <typename Each>
    void forEachRun(Each each) const {
        std::size_t first = 0;
        for (const Run& run : runs_) {
            each(run.type, first, run.end);
            first = run.end;
        }
    }

private:
    struct Run {
        std::size_t end;  // after the run's last file
        std::uint32_t type;
    };
    std::vector<Run> runs_;
};

}  // namespace sormel
