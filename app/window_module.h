// The window lives in a module of its own, loaded only when the window is
// wanted, so that the batch mode starts and runs without the GUI libraries.
#pragma once

namespace sormel {

// Loads the module and opens the window in the current folder; returns the
// program's exit status.
int runWindowModule(const char* programName);

}  // namespace sormel
