#include "app/terminal.h"

#include <unistd.h>

namespace sormel {

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace sormel
