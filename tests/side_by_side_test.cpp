// Outputs written on two threads: every job runs, each side stops at its
// first failure, and the failure told is the first in the jobs' order.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "export/side_by_side.h"

namespace sormel {
namespace {

struct Case {
    const char* name;
    std::vector<bool> aside;
    std::vector<bool> fails;
    std::string ran;   // the jobs that ran, as their indexes in order
    std::string told;  // the failure that goes on, or empty
};

TEST(SideBySide, EveryJobRunsAndTheFirstFailureInOrderGoesOn) {
    const Case cases[] = {
        {"none aside", {false, false, false}, {false, false, false}, "012", ""},
        {"one aside", {false, true, false}, {false, false, false}, "012", ""},
        {"all aside", {true, true}, {false, false}, "01", ""},
        {"a failure here stops this side only", {false, true, false}, {true, false, false}, "01", "0"},
        {"a failure aside stops that side only", {true, false, true}, {true, false, false}, "01", "0"},
        {"the earlier of two failures goes on", {false, true, false}, {false, true, true}, "012", "1"},
        {"even when it is the one aside", {true, false}, {true, true}, "01", "0"},
    };
    for (const Case& test : cases) {
        std::vector<std::atomic<bool>> ran(test.aside.size());
        std::vector<OutputJob> jobs;
        const std::thread::id here = std::this_thread::get_id();
        std::atomic<bool> wrongThread = false;
        for (std::size_t i = 0; i < test.aside.size(); ++i) {
            jobs.push_back({[&, i] {
                                ran[i] = true;
                                if ((std::this_thread::get_id() != here) != test.aside[i]) wrongThread = true;
                                if (test.fails[i]) throw std::runtime_error(std::to_string(i));
                            },
                            test.aside[i]});
        }
        std::string told;
        try {
            runSideBySide(jobs);
        } catch (const std::runtime_error& error) {
            told = error.what();
        }
        std::string ranText;
        for (std::size_t i = 0; i < ran.size(); ++i) {
            if (ran[i]) ranText += std::to_string(i);
        }
        EXPECT_EQ(ranText, test.ran) << test.name;
        EXPECT_EQ(told, test.told) << test.name;
        EXPECT_FALSE(wrongThread) << test.name;
    }
}

}  // namespace
}  // namespace sormel
