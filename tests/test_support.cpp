#include "test_support.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace sormel::testing {

ScratchFolder::ScratchFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    path_ = std::filesystem::temp_directory_path() / ("sormel-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    // Make anything a test locked up removable again.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path ScratchFolder::write(const std::string& name, std::string_view bytes) const {
    const std::filesystem::path file = path_ / name;
    writeInto(file, bytes);
    return file;
}

void ScratchFolder::writeInto(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

ProgramResult runProgram(const std::string& commandLine, const ScratchFolder& scratch) {
    const auto out = scratch.path() / "stdout";
    const auto err = scratch.path() / "stderr";
    const std::string command = commandLine + " >" + shellQuoted(out) + " 2>" + shellQuoted(err) + " </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
}

std::string shellQuoted(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (const char c : path.native()) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

bool RecordingHost::keepGoing(bool fileStart) {
    if (fileStart) calls.push_back("events-at-file-start");
    if (onEvents) onEvents(*this, eventCalls);
    ++eventCalls;
    return !cancel;
}

void RecordingHost::fileFinished(std::size_t index, bool sorted) {
    calls.push_back("finish " + std::to_string(index) + (sorted ? " sorted" : ""));
}

FileSizeLimit::FileSizeLimit(unsigned long long bytes) {
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
    oldCurrent_ = limit.rlim_cur;
    oldMost_ = limit.rlim_max;
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    limited_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    if (oldSignal_ == nullptr) return;
    if (limited_) {
        rlimit limit{};
        limit.rlim_cur = oldCurrent_;
        limit.rlim_max = oldMost_;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::signal(SIGXFSZ, oldSignal_);
}

}  // namespace sormel::testing
