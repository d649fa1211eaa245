// The file a path chosen in the save dialog stands for. File names are
// bytes; Qt shows the bytes of a name that are not UTF-8 as U+FFFD and
// gives the name back so, and such a text cannot be turned back into the
// name on disk.
#pragma once

#include <QString>
#include <filesystem>

namespace sormel {

// The path `chosen` names. Throws FileError when a part of it stands for
// a name Qt cannot carry, rather than giving another file's path.
std::filesystem::path saveTargetPath(const QString& chosen);

}  // namespace sormel
