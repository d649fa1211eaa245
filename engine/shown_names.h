// Names the program shows for folders: a folder name is bytes, which may
// not be UTF-8 (an archive made on Windows keeps Shift_JIS names), and two
// folders are always two things even when their names read alike.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace sormel {

// A folder name decoded as deck files are: UTF-8 when it is valid UTF-8,
// otherwise code page 932, bytes that do not decode becoming U+FFFD.
std::string shownFolderName(std::string_view bytes);

// Hands out names no two of which are equal: a name already given (or
// reserved) gets " (2)", " (3)" … , the first of them still free.
class DistinctNames {
public:
    // `reserved` are names that count as given from the start.
    explicit DistinctNames(std::set<std::string> reserved = {}) : taken_(std::move(reserved)) {}
    std::string give(const std::string& name);

private:
    std::set<std::string> taken_;
};

}  // namespace sormel
