// UTF-8 and the UTF-16 of Windows' system calls, and Windows' error codes
// as the errno numbers the program's messages are worded for.
#pragma once

#include <string>
#include <string_view>

namespace sormel {

// Bytes that are not UTF-8 become U+FFFD.
std::wstring widen(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string narrow(std::wstring_view utf16);

// The errno number closest to a GetLastError() code; EIO for one without.
int errnoFromWindows(unsigned long error);

}  // namespace sormel
