// What saving needs from the operating system, behind a portable surface:
// one implementation per system (posix_save.cpp here).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sormel::save_system {

// Where an output really goes once links are followed, so that two outputs
// aimed at one file can be told apart.
struct TargetIdentity {
    std::uint64_t device = 0;
    std::uint64_t node = 0;
    std::string name;  // empty for a pipe or device, which is its own identity
    bool operator==(const TargetIdentity&) const = default;
};

class PreparedFile;
void flushTogether(const std::vector<PreparedFile*>& files);
void flushFolders(const std::vector<PreparedFile*>& files) noexcept;

// One output on its way. A file is written to a temporary file beside it
// and renamed over it when everything is written; a pipe or character
// device cannot be replaced and is written directly. Links are followed,
// also to a file that does not exist yet. Every failure throws SaveError
// naming the file the user asked for.
class PreparedFile {
public:
    // Checks the target and opens the temporary file or the stream; a
    // temporary file is removed again on SIGINT, SIGTERM and SIGHUP. With
    // `makeMissingFolder`, a target whose folder does not exist yet (but
    // the one above it does) is accepted, and the folder is made by
    // putInPlace.
    explicit PreparedFile(const std::filesystem::path& requested, bool makeMissingFolder = false);
    // Removes a temporary file not put in place and any kept old content.
    ~PreparedFile();
    PreparedFile(const PreparedFile&) = delete;
    PreparedFile& operator=(const PreparedFile&) = delete;

    bool isStream() const;
    const TargetIdentity& identity() const;

    // Closes a temporary file not written yet until append or finish opens
    // it again, checking that it is still the file made here; an output
    // waiting for its content then holds no descriptor of its own. Does
    // nothing for a pipe or device, or where handles are not scarce.
    void setAside();

    // Writes everything; a temporary file is then flushed to the disk and
    // given the owner, group and mode of the file it replaces.
    void write(std::string_view bytes);
    // The same in pieces, for a file (not a pipe or device): append each
    // piece in turn, then finish once, which closes as write does. With
    // Flush::Later the file is flushed by flushTogether instead.
    enum class Flush { Now, Later };
    void append(std::string_view bytes);
    void finish(Flush flush = Flush::Now);
    // Keeps the file about to be replaced under a second name so that
    // putBack can restore it: a hard link, or, where the file system has
    // none, the file itself renamed aside by putInPlace.
    void keepOldContent();
    // Renames the temporary file over the target; flushFolders then makes
    // the new name last. On failure the target is as it was.
    void putInPlace();
    // Undoes putInPlace as far as possible: the kept old content back, or
    // the new file (and a folder made for it) removed when there was none
    // before.
    void putBack() noexcept;
    // Removes the kept old content once it is not needed any more; one
    // that could not be put back stays.
    void dropOldContent() noexcept;

private:
    friend void flushTogether(const std::vector<PreparedFile*>& files);
    friend void flushFolders(const std::vector<PreparedFile*>& files) noexcept;
    struct State;
    std::unique_ptr<State> state_;
};

// Flushes to the disk the temporary files finished with Flush::Later: one
// request for each file system rather than one for each file, which for
// hundreds of small files is hundreds of waits for the disk. Throws
// SaveError naming a file of the file system that failed.
void flushTogether(const std::vector<PreparedFile*>& files);

// Flushes each folder that received files by putInPlace, once. Best effort:
// some file systems cannot flush a folder.
void flushFolders(const std::vector<PreparedFile*>& files) noexcept;

// While one is alive, SIGINT, SIGTERM and SIGHUP wait: the thread that made
// it does not take them, and any other thread only notes them. When the
// last one goes away, a signal that came meanwhile is acted on as it would
// have been: temporary files removed and the program ended.
class CommitWindow {
public:
    CommitWindow();
    ~CommitWindow();
    CommitWindow(const CommitWindow&) = delete;
    CommitWindow& operator=(const CommitWindow&) = delete;

private:
    struct SavedMask;
    std::unique_ptr<SavedMask> saved_;
};

}  // namespace sormel::save_system
