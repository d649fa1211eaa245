// The Excel library's error codes in the program's words.
#pragma once

#include <string>

namespace sormel {

// Japanese description of a libxlsxwriter lxw_error value.
std::string describeXlsxError(int error);

}  // namespace sormel
