// Folder descriptors shared by the outputs saved in one folder: a save of
// thousands of files into one folder holds one descriptor for it, not one
// for each file.
#pragma once

#include <memory>

#include "export/posix_io.h"

namespace sormel::save_system {

using SharedFolder = std::shared_ptr<const Descriptor>;

// The folder `opened` is (`status` is its fstat): the descriptor of that
// very folder that the program already holds, if any, and `opened` is
// closed; else `opened` itself. A folder is known by its device and inode,
// which no other folder can take while a descriptor of it is held, so a
// name looked up through `opened` means the same through the one returned.
// Thread-safe.
SharedFolder shareFolder(Descriptor opened, const struct stat& status);

}  // namespace sormel::save_system
