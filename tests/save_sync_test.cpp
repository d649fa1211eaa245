// Whether a save reaches the disk before it counts as done: the test
// program stands in for fsync and renameat to see the order of the calls.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "export/atomic_file.h"
#include "test_support.h"

namespace {

bool recording = false;
std::vector<std::string> calls;

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fsync(int fd) {
    if (recording) {
        struct stat status {};
        fstat(fd, &status);
        calls.push_back(S_ISDIR(status.st_mode) ? "sync folder" : "sync file");
    }
    return next<int (*)(int)>("fsync")(fd);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    if (recording) calls.push_back("rename");
    return next<int (*)(int, const char*, int, const char*)>("renameat")(fromFolder, from, toFolder, to);
}

namespace sormel {
namespace {

TEST(SaveDurability, TheFileReachesTheDiskBeforeTheRenameAndTheFolderAfterIt) {
    testing::ScratchFolder folder;
    const std::filesystem::path target = folder.write("result.csv", "old");
    calls.clear();
    recording = true;
    writeFileAtomically(target, "new");
    recording = false;
    EXPECT_EQ(calls, (std::vector<std::string>{"sync file", "rename", "sync folder"}));
    EXPECT_EQ(testing::readFile(target), "new");
}

}  // namespace
}  // namespace sormel
