// Several outputs written at once: the slow ones (a workbook) on a second
// thread while the others are written on this one.
#pragma once

#include <functional>
#include <vector>

namespace sormel {

struct OutputJob {
    std::function<void()> write;
    bool aside = false;  // written on the second thread
};

// Runs every job: those set aside one after another on a second thread (on
// this one, after the others, when no thread can be started), the others
// one after another here. Each thread stops at its first failure. Once
// both are done, the exception of the first job in `jobs`' order that
// failed goes on, so that a failure reads as it would had the jobs been
// run in order.
void runSideBySide(const std::vector<OutputJob>& jobs);

}  // namespace sormel
