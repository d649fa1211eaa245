// Errors about files, and how paths and system errors read in messages.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace sormel {

// A file could not be listed, opened or read; the message names it.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A path as UTF-8 text for messages, whatever bytes its name holds, with
// control characters shown as escapes (visible_text.h).
std::string displayPath(const std::filesystem::path& path);
// A path as UTF-8 text for what the program writes as data (a report's
// list of files, a deck type's name): bytes that are not UTF-8 replaced,
// nothing escaped.
std::string pathText(const std::filesystem::path& path);

// Japanese description of a system error number, for messages.
std::string describeSystemError(int errorNumber);

}  // namespace sormel
