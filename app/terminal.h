// Whether the program's messages go to a person at a terminal.
#pragma once

namespace sormel {

bool standardErrorIsTerminal();

}  // namespace sormel
