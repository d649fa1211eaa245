#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/process_setup.h"
#include "engine/wide_text_win.h"

namespace sormel {
namespace {

UINT consoleCodePage = 0;

void restoreConsole() {
    if (consoleCodePage != 0) SetConsoleOutputCP(consoleCodePage);
}

}  // namespace

void prepareProcess(int& argc, char**& argv) {
    // The arguments as the system keeps them, in UTF-16, to UTF-8.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr) {
        static std::vector<std::string> arguments;
        static std::vector<char*> pointers;
        for (int i = 0; i < count; ++i) arguments.push_back(narrow(wide[i]));
        LocalFree(wide);
        for (std::string& argument : arguments) pointers.push_back(argument.data());
        pointers.push_back(nullptr);
        argc = count;
        argv = pointers.data();
    }
    // The CSV and every message go out as their bytes: no "\r" added.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // Messages are UTF-8; a console shows them as such while the program
    // runs, and gets its own code page back at the end.
    const UINT current = GetConsoleOutputCP();
    if (current != 0 && current != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
        consoleCodePage = current;
        std::atexit(restoreConsole);
    }
}

}  // namespace sormel
