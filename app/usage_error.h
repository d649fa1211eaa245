// How the program answers a command line it cannot use.
#pragma once

#include <iostream>
#include <string>

#include "app/exit_codes.h"

namespace sormel {

inline int usageError(const std::string& message) {
    std::cerr << message << "\n詳しくは sormel-checker --help を参照してください。\n";
    return kExitUsage;
}

}  // namespace sormel
