#include "export/posix_io.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "export/posix_cleanup.h"
#include "export/save_error.h"
#include "export/write_permission.h"

namespace sormel::save_system {
namespace {

Credentials effectiveCredentials() {
    Credentials who{geteuid(), getegid(), {}};
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        const int got = getgroups(count, groups.data());
        if (got > 0) who.supplementaryGroups.assign(groups.begin(), groups.begin() + got);
    }
    return who;
}

bool raiseOpenFileLimit() {
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return false;
    limit.rlim_cur = limit.rlim_max;
    return setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

}  // namespace

std::string randomHiddenName(const char* kind) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    char name[kCleanupNameSize];
    std::snprintf(name, sizeof name, ".sormel-%012llx.%s", static_cast<unsigned long long>(random() >> 16), kind);
    return name;
}

void pauseWhenTestAsks() {
    const char* pause = std::getenv("SORMEL_CHECKER_TEST_SAVE_PAUSE");
    if (!pause || *pause == '\0') return;
    for (int i = 0; i < 300; ++i) {
        const timespec tenth{0, 100'000'000};
        nanosleep(&tenth, nullptr);
    }
}

int openCounted(int folder, const char* path, int flags, unsigned mode) {
    int fd = openat(folder, path, flags, static_cast<mode_t>(mode));
    if (fd < 0 && errno == EMFILE && raiseOpenFileLimit()) fd = openat(folder, path, flags, static_cast<mode_t>(mode));
    return fd;
}

Descriptor reopenOwnFile(int folder, const char* name, const struct stat& made,
                         const std::filesystem::path& requested) {
    // Not following a link, and not waiting for a reader of a pipe: both
    // would let whoever can write in the folder choose what is opened.
    Descriptor file(openCounted(folder, name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    const auto replaced = [&] {
        failSave("保存用の一時ファイルが保存の途中で削除されたか、別のファイルに置き換えられました。", requested);
    };
    if (!file.open()) {
        if (errno == ENOENT || errno == ELOOP || errno == ENXIO || errno == EISDIR || errno == ETXTBSY) replaced();
        failSave(errno, requested);
    }
    struct stat opened {};
    if (fstat(file.get(), &opened) != 0) failSave(errno, requested);
    // An inode number freed by removing the file may be given to a new one
    // at once; the owner tells that one apart unless it is this user's own.
    if (!S_ISREG(opened.st_mode) || opened.st_dev != made.st_dev || opened.st_ino != made.st_ino ||
        opened.st_uid != made.st_uid) {
        replaced();
    }
    // Writing a file is never to wait anyway, but some file systems take
    // the flag to mean more.
    const int flags = fcntl(file.get(), F_GETFL);
    if (flags < 0 || fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) failSave(errno, requested);
    return file;
}

bool permitsWriting(const struct stat& status) {
    return sormel::permitsWriting({status.st_uid, status.st_gid, static_cast<std::uint32_t>(status.st_mode & 07777)},
                                  effectiveCredentials());
}

void writeAll(int fd, std::string_view bytes, const std::filesystem::path& requested) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), std::min<std::size_t>(bytes.size(), 1 << 30));
        if (written < 0) {
            if (errno == EINTR) continue;
            failSave(errno, requested);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// A pipe whose reader went away must end the save with an error, not the
// program with SIGPIPE: the signal is held back for this thread and one it
// raised is taken back.
void writeAllToStream(int fd, std::string_view bytes, const std::filesystem::path& requested) {
    sigset_t pipeSignal, previous, pending;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    auto restore = [&] {
        if (!alreadyPending) {
            const timespec noWait{};
            while (sigtimedwait(&pipeSignal, nullptr, &noWait) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    };
    try {
        writeAll(fd, bytes, requested);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

}  // namespace sormel::save_system
