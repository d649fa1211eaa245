// The program's command line, read as the bytes it is made of: every usage
// error is found before anything runs, and paths keep their bytes.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch_mode.h"

namespace sormel {

// A command line the program cannot use; the message says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CommandLine {
    enum class Action { OpenWindow, RunBatch, ShowHelp, ShowVersion };
    Action action = Action::OpenWindow;
    BatchOptions batch;                                  // for RunBatch
    std::optional<std::filesystem::path> windowFolder;  // for OpenWindow
};

// Reads the arguments after the program's name. Throws UsageError for an
// unknown option, a missing or bad value, an option given twice, a batch
// option without --batch, or an argument too many.
CommandLine parseCommandLine(int argc, const char* const* argv);

// The long name of every option the program takes ("batch", "help-all"),
// those the help leaves out included, in the order the help lists them.
std::vector<std::string_view> optionNames();

std::string helpText();
std::string versionText();

}  // namespace sormel
