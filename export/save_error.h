// How a failed save is reported: one message form for every file the
// program writes.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace sormel {

class SaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Japanese description of a system error number met while saving.
std::string describeSaveError(int errorNumber);

// Throws SaveError saying why `target` (the name the user gave) could not
// be saved.
[[noreturn]] void failSave(const std::string& reason, const std::filesystem::path& target);
[[noreturn]] void failSave(int errorNumber, const std::filesystem::path& target);

}  // namespace sormel
