// Reading a deck file whole, with errors a user can act on.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace sormel {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A path as UTF-8 text for messages, whatever bytes its name holds.
std::string displayPath(const std::filesystem::path& path);

// Japanese description of a system error number, for messages.
std::string describeSystemError(int errorNumber);

// Replaces `buffer` with the bytes of the file at `path`. Throws FileError
// naming the file when it cannot be opened or read.
void readWholeFile(const std::filesystem::path& path, std::string& buffer);

}  // namespace sormel
