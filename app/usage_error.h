// How the program answers a command line it cannot use.
#pragma once

#include <QString>
#include <iostream>

#include "app/exit_codes.h"

namespace sormel {

inline int usageError(const QString& message) {
    std::cerr << message.toStdString() << "\n詳しくは sormel-checker --help を参照してください。\n";
    return kExitUsage;
}

}  // namespace sormel
