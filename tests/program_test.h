// What the tests that run the real program share: scratch folders, and a
// run of the program in one of them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.h"

namespace sormel::testing {

class ProgramTest : public ::testing::Test {
protected:
    // The program with `arguments`, quoted for the shell as they are.
    ProgramResult run(const std::string& arguments) {
        return runProgram(std::string(SORMEL_CHECKER_PATH) + " " + arguments, scratch);
    }
    // The batch mode on `folder`, with further `arguments`.
    ProgramResult batchOn(const std::filesystem::path& folder, const std::string& arguments) {
        return run("--batch " + q(folder) + " " + arguments);
    }
    static std::string q(const std::filesystem::path& path) { return shellQuoted(path); }
    // A file in the outputs' folder.
    std::filesystem::path at(const std::string& name) const { return out.path() / name; }

    ScratchFolder scratch;  // where the program runs and keeps its captured output
    ScratchFolder decks;    // the decks a test writes
    ScratchFolder out;      // the outputs a test asks for
};

}  // namespace sormel::testing
