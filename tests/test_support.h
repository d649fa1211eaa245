// Helpers shared by the tests: scratch folders and files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <functional>
#include <vector>

#include "engine/tally_run.h"

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

// A run's host that records what the run tells it, and lets a test act
// before a line as a user's click would (switch to high speed, cancel).
class RecordingHost : public TallyHost {
public:
    bool fast = false;
    bool cancel = false;
    std::function<void(RecordingHost&, int eventCall)> onEvents;
    std::vector<std::string> calls;
    int eventCalls = 0;

    bool highSpeed() override { return fast; }
    bool keepGoing(bool fileStart) override;
    void fileStarted(std::size_t index) override { calls.push_back("start " + std::to_string(index)); }
    void fileFinished(std::size_t index, bool sorted) override;
    void highSpeedEngaged() override { calls.push_back("high-speed engaged"); }
};

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

// Files may grow to at most `bytes` while the object lives: a write beyond
// fails as on a full disk (SIGXFSZ is ignored meanwhile). On Windows, which
// has no such limit, nothing changes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long oldCurrent_ = 0;
    unsigned long long oldMost_ = 0;
    bool limited_ = false;
    void (*oldSignal_)(int) = nullptr;
};

}  // namespace sormel::testing
