// The window lives in a module of its own, loaded only when the window is
// wanted, so that the batch mode starts and runs without the GUI libraries.
#pragma once

namespace sormel {

// Loads the module and opens the window in the current folder; returns the
// program's exit status.
int runWindowModule(const char* programName);

// Why this build cannot open the window at all; nothing when it can.
const char* windowUnavailableReason();

}  // namespace sormel
