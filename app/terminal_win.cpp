#include <windows.h>

#include "app/terminal.h"

namespace sormel {

// A console, not a file or a pipe: only a console has a console mode.
bool standardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace sormel
