// The program's exit status, the same for the window and the batch mode.
#pragma once

namespace sormel {

enum ExitStatus { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2 };

}  // namespace sormel
