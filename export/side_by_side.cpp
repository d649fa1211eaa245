#include "export/side_by_side.h"

#include <exception>
#include <system_error>
#include <thread>

namespace sormel {
namespace {

// Runs the jobs of one side in order, keeping the first failure in its
// job's place of `failures`.
void runSide(const std::vector<OutputJob>& jobs, bool aside, std::vector<std::exception_ptr>& failures) {
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].aside != aside) continue;
        try {
            jobs[i].write();
        } catch (...) {
            failures[i] = std::current_exception();
            return;
        }
    }
}

}  // namespace

void runSideBySide(const std::vector<OutputJob>& jobs) {
    std::vector<std::exception_ptr> failures(jobs.size());
    bool anyAside = false;
    for (const OutputJob& job : jobs) anyAside = anyAside || job.aside;
    std::thread second;
    if (anyAside) {
        try {
            second = std::thread([&] { runSide(jobs, true, failures); });
        } catch (const std::system_error&) {
            // No thread to be had: the jobs set aside follow the others here.
        }
    }
    runSide(jobs, false, failures);
    if (second.joinable()) {
        second.join();
    } else if (anyAside) {
        runSide(jobs, true, failures);
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
}

}  // namespace sormel
