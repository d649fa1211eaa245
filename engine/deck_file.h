// Reading a deck file whole, with errors a user can act on.
#pragma once

#include <filesystem>
#include <string>

#include "engine/file_error.h"

namespace sormel {

// Replaces `buffer` with the bytes of the file at `path`. Throws FileError
// naming the file when it cannot be opened or read.
void readWholeFile(const std::filesystem::path& path, std::string& buffer);

}  // namespace sormel
