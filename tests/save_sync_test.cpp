// The save path under failures it cannot cause itself: the test program
// stands in for renameat, linkat and fsync (system_faults.h) to see the
// order of the calls, to fail one of them, or to send a signal in the
// middle of putting many outputs in place.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "export/atomic_file.h"
#include "export/save_set.h"
#include "system_faults.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::readFile;
using testing::ScopedFaults;
using testing::ScratchFolder;

TEST(SaveDurability, TheFileReachesTheDiskBeforeTheRenameAndTheFolderAfterIt) {
    ScratchFolder folder;
    const std::filesystem::path target = folder.write("result.csv", "old");
    ScopedFaults faults;
    faults->record = true;
    writeFileAtomically(target, "new");
    faults->record = false;
    EXPECT_EQ(faults->calls, (std::vector<std::string>{"sync file", "rename", "sync folder"}));
    EXPECT_EQ(readFile(target), "new");
}

// Outputs out00.csv, out01.csv, ...: the even ones exist with old content,
// the odd ones are new.
class ManyOutputs {
public:
    explicit ManyOutputs(int count) : count_(count) {
        for (int i = 0; i < count_; i += 2) folder_.write(name(i), "old " + name(i));
    }
    void prepare(SaveSet& save) const {
        for (int i = 0; i < count_; ++i) save.prepare(folder_.path() / name(i), "new " + name(i));
    }
    // "" when every output holds its new content, or every output its old
    // content (and the new ones are absent); otherwise what is wrong.
    std::string check(bool expectNew) const {
        std::set<std::string> expected;
        for (int i = 0; i < count_; ++i) {
            if (expectNew || i % 2 == 0) expected.insert(name(i));
        }
        std::set<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
            found.insert(entry.path().filename().native());
        }
        if (found != expected) return "the folder holds " + std::to_string(found.size()) + " names";
        for (const std::string& file : found) {
            const std::string content = readFile(folder_.path() / file);
            if (content != (expectNew ? "new " : "old ") + file) return file + " holds " + content;
        }
        return "";
    }
    static std::string name(int i) { return "out" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".csv"; }

private:
    int count_;
    ScratchFolder folder_;
};

// A few outputs are flushed one by one; many reserved at once (the average
// decks of every type) with one flush of the file system before the first rename. Each
// folder is flushed once, after the last.
TEST(SaveDurability, ManyOutputsAreFlushedTogetherAndTheirFolderOnce) {
    ScratchFolder folder;
    for (const int outputs : {3, 9}) {
        SCOPED_TRACE(outputs);
        ScopedFaults faults;
        faults->record = true;
        SaveSet save;
        std::vector<std::size_t> reserved;
        for (int i = 0; i < outputs; ++i) reserved.push_back(save.reserve(folder.path() / ("deck" + std::to_string(i))));
        for (const std::size_t index : reserved) save.fill(index, "new");
        save.commitAll();
        std::vector<std::string> syncs;
        for (const std::string& call : faults->calls) {
            if (call.starts_with("sync") && (syncs.empty() || syncs.back() != call)) syncs.push_back(call);
        }
        if (outputs == 3) {
            EXPECT_EQ(syncs, (std::vector<std::string>{"sync file", "sync folder"}));
        } else {
            EXPECT_EQ(syncs, (std::vector<std::string>{"sync file system", "sync folder"}));
        }
        EXPECT_EQ(std::count(faults->calls.begin(), faults->calls.end(), "sync folder"), 1);
        EXPECT_LT(std::find(faults->calls.begin(), faults->calls.end(), syncs.front()),
                  std::find(faults->calls.begin(), faults->calls.end(), "rename"));
    }
}

TEST(SaveDurability, AFailedFlushOfTheFileSystemLeavesEveryOldFile) {
    const ManyOutputs outputs(9);
    ScopedFaults faults;
    faults->syncfsError = EIO;
    SaveSet save;
    outputs.prepare(save);
    EXPECT_THROW(save.commitAll(), SaveError);
    EXPECT_EQ(outputs.check(false), "");
}

TEST(SaveManyOutputs, EveryOutputIsNewOrEveryOneOld) {
    struct Case {
        const char* what;
        int outputs;
        int failRename;
        int linkError;
        bool saved;
    };
    // Where links are refused, each old file but the last output's takes
    // two renames, itself aside and the new one in its place: with 12
    // outputs, the 10th rename moves out06.csv aside and the 18th is the last.
    const Case cases[] = {
        {"more outputs than the first block of names", 100, 0, 0, true},
        {"64 outputs, the 40th rename fails", 64, 40, 0, false},
        {"the last rename fails", 40, 40, 0, false},
        {"no links, all go through", 40, 0, EPERM, true},
        {"no links, an old file cannot be moved aside", 12, 10, EPERM, false},
        {"no links, a new file cannot take its name", 12, 11, EXDEV, false},
        {"no links, the last rename fails", 12, 18, ENOTSUP, false},
    };
    for (const Case& c : cases) {
        const ManyOutputs outputs(c.outputs);
        ScopedFaults faults;
        faults->failRename = c.failRename;
        faults->renameError = EIO;
        faults->linkError = c.linkError;
        SaveSet save;
        outputs.prepare(save);
        if (c.saved) {
            EXPECT_NO_THROW(save.commitAll()) << c.what;
        } else {
            EXPECT_THROW(save.commitAll(), SaveError) << c.what;
        }
        EXPECT_EQ(outputs.check(c.saved), "") << c.what;
    }
}

TEST(SaveManyOutputs, MoreOutputsThanTheSoftLimitOfOpenFilesAllows) {
    struct rlimit before {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    if (before.rlim_max != RLIM_INFINITY && before.rlim_max < 1024) GTEST_SKIP() << "hard limit " << before.rlim_max;
    const ManyOutputs outputs(150);
    struct rlimit low = before;
    low.rlim_cur = 128;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    std::string error;
    try {
        SaveSet save;
        outputs.prepare(save);
        save.commitAll();
    } catch (const SaveError& e) {
        error = e.what();
    }
    setrlimit(RLIMIT_NOFILE, &before);
    EXPECT_EQ(error, "");
    EXPECT_EQ(outputs.check(true), "");
}

// Outputs in one folder share its descriptor, and those waiting for their
// content hold none: a save of far more files than the process may open.
TEST(SaveManyOutputs, FarMoreOutputsThanTheProcessMayOpenFiles) {
    ScratchFolder folder;
    folder.write("all.txt", "old");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const struct rlimit low {48, 48};
        if (setrlimit(RLIMIT_NOFILE, &low) != 0) _exit(3);
        try {
            SaveSet save;
            std::vector<std::size_t> reserved{save.reserve(folder.path() / "all.txt")};
            for (int i = 0; i < 300; ++i) {
                reserved.push_back(
                    save.reserve(folder.path() / "types" / (std::to_string(i) + ".txt"), SaveSet::MissingFolder::Make));
            }
            for (std::size_t i = 0; i < reserved.size(); ++i) save.fill(reserved[i], std::to_string(i));
            save.commitAll();
        } catch (const SaveError& error) {
            std::fprintf(stderr, "%s\n", error.what());
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    // Valgrind, for one, keeps the limit to itself.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3) GTEST_SKIP() << "the limit of open files cannot be lowered";
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(readFile(folder.path() / "all.txt"), "0");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path() / "types"), {}), 300);
    EXPECT_EQ(readFile(folder.path() / "types" / "299.txt"), "300");
}

TEST(SaveManyOutputs, AFolderToBeMadeIsMadeOnlyWhenTheSaveSucceeds) {
    for (const bool fails : {true, false}) {
        ScratchFolder folder;
        folder.write("all.txt", "old");
        ScopedFaults faults;
        faults->failRename = fails ? 3 : 0;
        faults->renameError = EIO;
        SaveSet save;
        save.prepare(folder.path() / "all.txt", "new");
        for (const char* type : {"A.txt", "B.txt"}) {
            save.fill(save.reserve(folder.path() / "types" / type, SaveSet::MissingFolder::Make), type);
        }
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "types"));
        if (fails) {
            EXPECT_THROW(save.commitAll(), SaveError);
            EXPECT_EQ(readFile(folder.path() / "all.txt"), "old");
            EXPECT_FALSE(std::filesystem::exists(folder.path() / "types"));
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
        } else {
            save.commitAll();
            EXPECT_EQ(readFile(folder.path() / "types" / "B.txt"), "B.txt");
            EXPECT_EQ(readFile(folder.path() / "all.txt"), "new");
        }
    }
}

TEST(SaveManyOutputs, ASignalDuringTheRenamesWaitsUntilAllAreInPlace) {
    struct Case {
        int signalNumber;
        int linkError;
    };
    for (const Case c : {Case{SIGTERM, 0}, Case{SIGINT, EPERM}}) {
        const ManyOutputs outputs(64);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ScopedFaults faults;
            faults->signalAtRename = 3;
            faults->signalNumber = c.signalNumber;
            faults->linkError = c.linkError;
            try {
                SaveSet save;
                outputs.prepare(save);
                save.commitAll();
            } catch (...) {
                _exit(3);
            }
            _exit(0);  // the signal did not end the program
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signalNumber) << status;
        EXPECT_EQ(outputs.check(true), "") << c.signalNumber << " " << c.linkError;
    }
}

}  // namespace
}  // namespace sormel
