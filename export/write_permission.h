// Whether a file's permission bits let a user write it, decided from the
// user's ids rather than asked of the system, so that a save refuses a
// read-only file in the same words for everyone.
#pragma once

#include <cstdint>
#include <vector>

namespace sormel {

struct FileOwnership {
    std::uint32_t user = 0;
    std::uint32_t group = 0;
    std::uint32_t mode = 0;  // permission bits, as in 0644
};

// The effective ids a process acts with.
struct Credentials {
    std::uint32_t user = 0;
    std::uint32_t group = 0;
    std::vector<std::uint32_t> supplementaryGroups;
};

// The superuser may write anything that has a write bit at all; anyone else
// needs the bit of the class they fall in: owner, else group (effective or
// supplementary), else other. As with the system's own check, an owner
// without the owner bit is refused even when the group or other bit is set.
bool permitsWriting(const FileOwnership& file, const Credentials& who);

}  // namespace sormel
