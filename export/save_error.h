// How a failed save is reported: one message form for every file the
// program writes.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace sormel {

class SaveError : public std::runtime_error {
public:
    explicit SaveError(const std::string& message, int errorNumber = 0)
        : std::runtime_error(message), errorNumber_(errorNumber) {}
    // The system error behind the failure, 0 when the program refused.
    int errorNumber() const { return errorNumber_; }
    // Nobody reads the pipe the output was to go to: a condition of the
    // moment, not of the command line.
    bool pipeWithoutReader() const;

private:
    int errorNumber_;
};

// Japanese description of a system error number met while saving.
std::string describeSaveError(int errorNumber);

// Throws SaveError saying why `target` (the name the user gave) could not
// be saved.
[[noreturn]] void failSave(const std::string& reason, const std::filesystem::path& target);
[[noreturn]] void failSave(int errorNumber, const std::filesystem::path& target);

}  // namespace sormel
