// How building a workbook fails: one message, the reason after it.
#pragma once

#include <string>

namespace sormel {

// Throws std::runtime_error saying the workbook could not be built, and why.
[[noreturn]] void failWorkbook(const std::string& reason);

}  // namespace sormel
