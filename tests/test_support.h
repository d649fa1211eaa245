// Helpers shared by the tests: scratch folders and files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sormel::testing {

// A fresh folder under the system's temporary folder, removed again when
// the object goes away.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes `bytes` to `name` inside the folder and returns its path.
    std::filesystem::path write(const std::string& name, std::string_view bytes) const;
    static void writeInto(const std::filesystem::path& file, std::string_view bytes);

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);

// What a program run through the shell left behind.
struct ProgramResult {
    int status;  // the exit status, or -1 when the program did not exit
    std::string out;
    std::string err;
};

// Runs `commandLine` with standard input empty, capturing both outputs in
// files of `scratch`.
ProgramResult runProgram(const std::string& commandLine, const ScratchFolder& scratch);

// `path` in single quotes for the shell.
std::string shellQuoted(const std::filesystem::path& path);

}  // namespace sormel::testing
