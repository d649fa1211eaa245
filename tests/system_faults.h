// Stand-ins for the system calls the save path makes (renameat, linkat,
// fsync, syncfs), defined by the test program so that the save's own calls reach
// them: they record the calls and fail or signal where a test asks.
#pragma once

#include <string>
#include <vector>

namespace sormel::testing {

struct SystemFaults {
    bool record = false;
    // "rename", "link", "sync file", "sync folder", "sync file system"
    std::vector<std::string> calls;
    int renames = 0;                 // renameat calls so far
    int failRename = 0;              // the n-th renameat (from 1) fails with renameError
    int renameError = 0;
    int linkError = 0;   // every linkat fails with this
    int syncfsError = 0;  // every syncfs fails with this
    int signalAtRename = 0;  // the n-th renameat sends signalNumber to the process first
    int signalNumber = 0;
};

// What the stand-ins do now; reset by ScopedFaults.
SystemFaults& systemFaults();

// Faults for one test, none again afterwards.
class ScopedFaults {
public:
    ScopedFaults() { systemFaults() = {}; }
    ~ScopedFaults() { systemFaults() = {}; }
    SystemFaults* operator->() { return &systemFaults(); }
};

}  // namespace sormel::testing
