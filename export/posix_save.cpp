// The save's system calls on POSIX systems.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "export/posix_cleanup.h"
#include "export/posix_folders.h"
#include "export/posix_io.h"
#include "export/save_error.h"
#include "export/save_system.h"

namespace sormel::save_system {
namespace {

// A file system that cannot flush has nothing more to give.
bool cannotFlush(int error) { return error == EINVAL || error == ENOTSUP; }

}  // namespace

struct PreparedFile::State {
    std::filesystem::path requested;
    Descriptor lookedIn;   // the folder the name is looked up in, until shared
    SharedFolder folder;   // where the temporary file is made
    struct stat folderStatus {};
    std::string name;      // the target's name in its folder, links followed
    // A folder missing under `folder` that is made when the file is put in
    // place, so that a failed save leaves no folder behind either.
    std::string missingFolder;
    SharedFolder madeFolder;
    bool folderMadeHere = false;
    bool existed = false;
    struct stat old {};
    bool stream = false;
    Descriptor file;
    RegisteredName temporary;
    // The temporary file closed while it waits for its content, and what
    // it was, to make sure that the file opened again is the same.
    bool setAside = false;
    struct stat madeTemporary {};
    // The old content under a second name: a hard link, or the file itself
    // renamed aside where the file system refuses links.
    std::string keptName;
    bool keptExists = false;
    bool keepAside = false;
    bool keptIsOnlyCopy = false;  // putting it back failed: it must stay
    bool placed = false;
    TargetIdentity identity;

    int folderAt() const { return folder->get(); }
    int targetFolder() const { return missingFolder.empty() ? folderAt() : madeFolder->get(); }

    // Follows links one at a time, so that a link to a file that does not
    // exist yet is written through as well, creating that file.
    void resolve(bool makeMissingFolder) {
        std::filesystem::path current = requested;
        for (int links = 0;; ++links) {
            if (links > 40) failSave(ELOOP, requested);
            name = current.filename().native();
            if (name.empty() || name == "." || name == "..") failSave(EISDIR, requested);
            const std::filesystem::path folderPath = current.has_parent_path() ? current.parent_path() : ".";
            lookedIn = Descriptor(openCounted(AT_FDCWD, folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (!lookedIn.open()) {
                if (errno != ENOENT || !makeMissingFolder || links > 0 || !openFolderAbove(folderPath)) {
                    failSave(errno, requested);
                }
                return;
            }
            if (fstatat(lookedIn.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT) failSave(errno, requested);
                existed = false;
                return;
            }
            existed = true;
            if (!S_ISLNK(old.st_mode)) return;
            char link[PATH_MAX];
            const ssize_t size = readlinkat(lookedIn.get(), name.c_str(), link, sizeof link);
            if (size < 0) failSave(errno, requested);
            if (static_cast<std::size_t>(size) == sizeof link) failSave(ENAMETOOLONG, requested);
            const std::filesystem::path linkText(std::string(link, static_cast<std::size_t>(size)));
            current = linkText.is_absolute() ? linkText : folderPath / linkText;
        }
    }

    // The folder above a missing one, which the temporary file goes to.
    bool openFolderAbove(const std::filesystem::path& missing) {
        const int error = errno;
        const std::string missingName = missing.filename().native();
        if (missingName.empty() || missingName == "." || missingName == "..") return false;
        const std::filesystem::path above = missing.has_parent_path() ? missing.parent_path() : ".";
        lookedIn = Descriptor(openCounted(AT_FDCWD, above.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!lookedIn.open()) {
            errno = error;
            return false;
        }
        missingFolder = missingName;
        existed = false;
        return true;
    }

    // The folder found, from now on held once for all the outputs in it.
    void shareFolderLookedIn() {
        if (fstat(lookedIn.get(), &folderStatus) != 0) failSave(errno, requested);
        folder = shareFolder(std::move(lookedIn), folderStatus);
    }

    // Made at the last moment; one made by an earlier file of the same
    // save is used as it is.
    void makeMissingFolder() {
        if (missingFolder.empty() || madeFolder) return;
        if (mkdirat(folderAt(), missingFolder.c_str(), 0777) == 0) {
            folderMadeHere = true;
        } else if (errno != EEXIST) {
            failSave(errno, requested);
        }
        Descriptor opened(openCounted(folderAt(), missingFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat status {};
        if (!opened.open() || fstat(opened.get(), &status) != 0) {
            const int error = errno;
            removeMadeFolder();
            failSave(error, requested);
        }
        madeFolder = shareFolder(std::move(opened), status);
    }

    // Only when empty: the other files of the save are taken out first.
    void removeMadeFolder() {
        if (!folderMadeHere) return;
        if (unlinkat(folderAt(), missingFolder.c_str(), AT_REMOVEDIR) == 0) folderMadeHere = false;
    }

    void checkFolderWritable() {
        // A folder marked read-only is respected, also by a user whom the
        // system would let write there anyway.
        if (!permitsWriting(folderStatus)) failSave("保存先のフォルダーは読み取り専用です。", requested);
        identity = {static_cast<std::uint64_t>(folderStatus.st_dev), static_cast<std::uint64_t>(folderStatus.st_ino),
                    missingFolder.empty() ? name : missingFolder + "/" + name};
    }

    // A pipe or character device is opened without waiting for a reader;
    // once open it is written like any file.
    void openStream(int at, const char* path) {
        file = Descriptor(openCounted(at, path, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!file.open()) failSave(errno, requested);
        struct stat opened {};
        if (fstat(file.get(), &opened) != 0) failSave(errno, requested);
        if (!S_ISFIFO(opened.st_mode) && !S_ISCHR(opened.st_mode)) {
            failSave("保存先が保存の途中で別のファイルに置き換えられました。", requested);
        }
        const int flags = fcntl(file.get(), F_GETFL);
        if (flags < 0 || fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) failSave(errno, requested);
        stream = true;
        identity = {static_cast<std::uint64_t>(opened.st_dev), static_cast<std::uint64_t>(opened.st_ino), {}};
    }

    void createTemporary() {
        // The content is private until it has the old file's owner and mode.
        const mode_t mode = existed ? 0600 : 0666;
        for (int attempt = 0; attempt < 16; ++attempt) {
            const std::string candidate = randomHiddenName("tmp");
            temporary.hold(folderAt(), candidate.c_str());
            file = Descriptor(openCounted(folderAt(), candidate.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
            if (file.open()) return;
            const int error = errno;
            temporary.release();
            if (error != EEXIST) failSave(error, requested);
        }
        failSave(EEXIST, requested);
    }

    // The replaced file's owner and group are kept where the system allows
    // it (a user may only give the file to a group of their own); its mode
    // is kept always, after the owner, since a change of owner clears the
    // set-id bits.
    void takeOverOwnerAndMode() {
        if (fchown(file.get(), old.st_uid, old.st_gid) != 0 && fchown(file.get(), static_cast<uid_t>(-1), old.st_gid) != 0) {
            // Neither owner nor group could be kept: the file stays the user's own.
        }
        if (fchmod(file.get(), old.st_mode & 07777) != 0) failSave(errno, requested);
    }

    void removeTemporary() {
        if (!temporary.held()) return;
        unlinkat(folderAt(), temporary.name(), 0);
        temporary.release();
    }

    void openAgainIfSetAside() {
        if (!setAside) return;
        file = reopenOwnFile(folderAt(), temporary.name(), madeTemporary, requested);
        setAside = false;
    }
};

PreparedFile::PreparedFile(const std::filesystem::path& requested, bool makeMissingFolder)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.requested = requested;
    // A pipe or device is opened by the name given: /dev/stdout and the
    // names under /dev/fd lead to "pipe:[...]", no name in any folder.
    struct stat followed {};
    if (stat(requested.c_str(), &followed) == 0 && (S_ISFIFO(followed.st_mode) || S_ISCHR(followed.st_mode))) {
        if (!permitsWriting(followed)) failSave("読み取り専用のファイルです。", requested);
        s.openStream(AT_FDCWD, requested.c_str());
        return;
    }
    s.resolve(makeMissingFolder);
    s.shareFolderLookedIn();
    if (s.existed) {
        if (S_ISDIR(s.old.st_mode)) failSave(EISDIR, requested);
        if (S_ISBLK(s.old.st_mode)) failSave("ブロックデバイスには保存できません。", requested);
        if (S_ISSOCK(s.old.st_mode)) failSave("ソケットには保存できません。", requested);
        if (!S_ISREG(s.old.st_mode) && !S_ISFIFO(s.old.st_mode) && !S_ISCHR(s.old.st_mode)) {
            failSave("通常のファイルではないため保存できません。", requested);
        }
        if (!permitsWriting(s.old)) failSave("読み取り専用のファイルです。", requested);
        if (!S_ISREG(s.old.st_mode)) {
            s.openStream(s.folderAt(), s.name.c_str());
            return;
        }
    }
    s.checkFolderWritable();
    s.createTemporary();
}

PreparedFile::~PreparedFile() {
    State& s = *state_;
    s.file.reset();
    s.removeTemporary();
    dropOldContent();
}

bool PreparedFile::isStream() const { return state_->stream; }

const TargetIdentity& PreparedFile::identity() const { return state_->identity; }

void PreparedFile::write(std::string_view bytes) {
    State& s = *state_;
    if (s.stream) {
        writeAllToStream(s.file.get(), bytes, s.requested);
        if (s.file.close() != 0 && errno != EINTR) failSave(errno, s.requested);
        return;
    }
    append(bytes);
    finish();
}

void PreparedFile::setAside() {
    State& s = *state_;
    if (s.stream || !s.file.open()) return;
    // One that this user could not open again for writing (made under an
    // unusual umask) stays open.
    if (fstat(s.file.get(), &s.madeTemporary) != 0 || !permitsWriting(s.madeTemporary)) return;
    s.file.reset();
    s.setAside = true;
}

void PreparedFile::append(std::string_view bytes) {
    State& s = *state_;
    s.openAgainIfSetAside();
    writeAll(s.file.get(), bytes, s.requested);
}

void PreparedFile::finish(Flush flush) {
    State& s = *state_;
    s.openAgainIfSetAside();
    pauseWhenTestAsks();
    if (s.existed) s.takeOverOwnerAndMode();
    if (flush == Flush::Now && fsync(s.file.get()) != 0 && !cannotFlush(errno)) failSave(errno, s.requested);
#ifdef __linux__
    // A file flushed later with the others starts on its way to the disk
    // now, while the other outputs are still being made, so that the flush
    // together finds little left to wait for. Only a start: what fails
    // here is told by that flush.
    if (flush == Flush::Later) sync_file_range(s.file.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    if (s.file.close() != 0 && errno != EINTR) failSave(errno, s.requested);
}

void PreparedFile::keepOldContent() {
    State& s = *state_;
    if (s.stream || !s.existed || s.keptExists) return;
    for (int attempt = 0; attempt < 16; ++attempt) {
        s.keptName = randomHiddenName("old");
        if (linkat(s.folderAt(), s.name.c_str(), s.folderAt(), s.keptName.c_str(), 0) == 0) {
            s.keptExists = true;
            return;
        }
        if (errno != EEXIST) break;
    }
    // FAT, exFAT and some network shares have no hard links: the old file
    // is renamed aside instead, just before the new one takes its name.
    s.keepAside = true;
}

void PreparedFile::putInPlace() {
    State& s = *state_;
    if (s.stream) return;
    s.makeMissingFolder();
    const int target = s.targetFolder();
    if (s.keepAside && !s.keptExists) {
        struct stat taken {};
        if (fstatat(target, s.keptName.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) s.keptName = randomHiddenName("old");
        if (renameat(target, s.name.c_str(), target, s.keptName.c_str()) != 0) failSave(errno, s.requested);
        s.keptExists = true;
    }
    if (renameat(s.folderAt(), s.temporary.name(), target, s.name.c_str()) != 0) {
        const int error = errno;
        if (s.keepAside && s.keptExists) {
            if (renameat(target, s.keptName.c_str(), target, s.name.c_str()) == 0) {
                s.keptExists = false;
            } else {
                s.keptIsOnlyCopy = true;
            }
        }
        s.removeTemporary();
        s.removeMadeFolder();
        failSave(error, s.requested);
    }
    s.temporary.release();
    s.placed = true;
}

void flushTogether(const std::vector<PreparedFile*>& files) {
    std::vector<dev_t> flushed;
    for (const PreparedFile* file : files) {
        const PreparedFile::State& s = *file->state_;
        if (s.stream) continue;
        const dev_t device = s.folderStatus.st_dev;
        if (std::find(flushed.begin(), flushed.end(), device) != flushed.end()) continue;
        flushed.push_back(device);
#ifdef __linux__
        // Since Linux 5.8 this also tells of a write that failed since the
        // folder was opened, as a flush of each file would.
        if (syncfs(s.folderAt()) != 0 && !cannotFlush(errno)) failSave(errno, s.requested);
#else
        sync();
#endif
    }
}

void flushFolders(const std::vector<PreparedFile*>& files) noexcept {
    std::vector<std::pair<dev_t, ino_t>> flushed;
    for (const PreparedFile* file : files) {
        const PreparedFile::State& s = *file->state_;
        if (!s.placed) continue;
        struct stat folder {};
        if (fstat(s.targetFolder(), &folder) != 0) continue;
        const std::pair<dev_t, ino_t> key{folder.st_dev, folder.st_ino};
        if (std::find(flushed.begin(), flushed.end(), key) != flushed.end()) continue;
        flushed.push_back(key);
        fsync(s.targetFolder());
    }
}

void PreparedFile::putBack() noexcept {
    State& s = *state_;
    if (!s.placed) return;
    const int target = s.targetFolder();
    if (s.keptExists) {
        if (renameat(target, s.keptName.c_str(), target, s.name.c_str()) == 0) {
            s.keptExists = false;
        } else {
            s.keptIsOnlyCopy = true;
        }
    } else if (!s.existed) {
        unlinkat(target, s.name.c_str(), 0);
    }
    s.removeMadeFolder();
    fsync(target);
    s.placed = false;
}

void PreparedFile::dropOldContent() noexcept {
    State& s = *state_;
    if (!s.keptExists || s.keptIsOnlyCopy) return;
    unlinkat(s.targetFolder(), s.keptName.c_str(), 0);
    s.keptExists = false;
}

}  // namespace sormel::save_system
