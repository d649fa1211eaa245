// setenv and unsetenv as the tests call them, on Windows. TMPDIR, the POSIX
// temporary folder, is Windows' TMP: setting one sets the other.
#pragma once

#include <stdlib.h>

#include <cstring>
#include <string>

namespace sormel::testing::windows {

inline std::string& originalTmp() {
    static std::string original = [] {
        const char* tmp = getenv("TMP");
        return std::string(tmp ? tmp : "");
    }();
    return original;
}

inline std::wstring wide(const char* text) {
    std::wstring out;
    for (const char* c = text; *c; ++c) out.push_back(static_cast<unsigned char>(*c));
    return out;
}

}  // namespace sormel::testing::windows

inline int setenv(const char* name, const wchar_t* value, int) {
    namespace w = sormel::testing::windows;
    if (std::strcmp(name, "TMPDIR") == 0) {
        w::originalTmp();
        _wputenv_s(L"TMP", value);
    }
    return _wputenv_s(w::wide(name).c_str(), value);
}

inline int setenv(const char* name, const char* value, int) {
    if (std::strcmp(name, "TMPDIR") == 0) {
        sormel::testing::windows::originalTmp();
        _putenv_s("TMP", value);
    }
    return _putenv_s(name, value);
}

inline int unsetenv(const char* name) {
    if (std::strcmp(name, "TMPDIR") == 0) _putenv_s("TMP", sormel::testing::windows::originalTmp().c_str());
    return _putenv_s(name, "");
}
