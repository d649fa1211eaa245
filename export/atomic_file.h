// Replacing a file only once its new content is completely written.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace sormel {

class SaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `bytes` to a temporary file beside `target` and renames it over
// `target` once complete. On any failure the previous file, if any, is left
// as it was, no temporary file remains, and SaveError says what went wrong.
// A read-only target, or a target in a read-only folder, is refused, as the
// user would expect of it.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

}  // namespace sormel
