// Replacing a file only once its new content is completely written.
#pragma once

#include <filesystem>
#include <string_view>

#include "export/save_error.h"

namespace sormel {

// Writes `bytes` to a temporary file beside `target`, flushes it to the
// disk and renames it over `target` once complete. On any failure the
// previous file, if any, is left as it was, no temporary file remains (also
// when SIGINT, SIGTERM or SIGHUP ends the program), and SaveError says what
// went wrong. A link is written through; a pipe or character device is
// written directly; a read-only target or folder is refused, as the user
// would expect of it. The replaced file's owner, group and mode are kept.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

}  // namespace sormel
