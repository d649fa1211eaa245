#include "system_faults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sormel::testing {

SystemFaults& systemFaults() {
    static SystemFaults faults;
    return faults;
}

namespace {

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace
}  // namespace sormel::testing

using sormel::testing::systemFaults;

extern "C" int fsync(int fd) {
    if (systemFaults().record) {
        struct stat status {};
        fstat(fd, &status);
        systemFaults().calls.push_back(S_ISDIR(status.st_mode) ? "sync folder" : "sync file");
    }
    return sormel::testing::next<int (*)(int)>("fsync")(fd);
}

extern "C" int syncfs(int fd) {
    auto& faults = systemFaults();
    if (faults.record) faults.calls.push_back("sync file system");
    if (faults.syncfsError != 0) {
        errno = faults.syncfsError;
        return -1;
    }
    return sormel::testing::next<int (*)(int)>("syncfs")(fd);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    auto& faults = systemFaults();
    if (faults.record) faults.calls.push_back("rename");
    const int number = ++faults.renames;
    if (number == faults.signalAtRename) kill(getpid(), faults.signalNumber);
    if (number == faults.failRename) {
        errno = faults.renameError;
        return -1;
    }
    return sormel::testing::next<int (*)(int, const char*, int, const char*)>("renameat")(fromFolder, from, toFolder,
                                                                                         to);
}

extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    auto& faults = systemFaults();
    if (faults.record) faults.calls.push_back("link");
    if (faults.linkError != 0) {
        errno = faults.linkError;
        return -1;
    }
    return sormel::testing::next<int (*)(int, const char*, int, const char*, int)>("linkat")(fromFolder, from, toFolder,
                                                                                            to, flags);
}
