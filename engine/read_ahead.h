// Reading the deck files of a run ahead of it: worker threads open and read
// the next files of the list while the run tallies the current one, so that
// many reads are in flight while the disk is slow. The run takes the files
// strictly in the list's order and gets exactly what a read on its own
// thread would give: the bytes a worker read, or the error the read met,
// thrown when the run reaches that file.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "engine/deck_files.h"
#include "engine/deck_text.h"
#include "engine/system_file.h"

namespace sormel {

// How far the workers may get ahead of the run: files read and not yet
// taken, and the bytes they hold. A file that does not fit in what is left
// of the bytes is read by the run itself when its turn comes.
struct ReadAheadLimits {
    std::size_t files = 64;
    std::uint64_t bytes = 16 * 1024 * 1024;
    // A file whose open and read take longer than this waited for the disk
    // (from the page cache, a deck takes a few microseconds; from a fast
    // SSD, tens). Until reads keep waiting, only the first few workers run:
    // from the page cache, reading is about as quick as the tally, and more
    // threads than cores only take turns. Once they do, all of them start,
    // so that many reads are in flight.
    std::chrono::nanoseconds diskWait = std::chrono::microseconds(20);
};

// The most workers for this machine: four for each of its hardware
// threads, at least 2 and at most the files read ahead.
unsigned machineReadThreads();

// The workers a run starts with before any read waited for the disk: one
// fewer than the hardware threads, so that they and the run keep every
// core busy; at least 1.
unsigned startingReadThreads();

// The number of workers a setting asks for: a whole number from 0 (every
// file read by the run itself) up to the most files read ahead, or the
// machine's number when `setting` is null, empty or anything else.
unsigned readThreadsFromSetting(const char* setting);

// Holds the workers before they open a file, so that a test can change a
// file after the run began and before a worker reads it. Open unless told.
class ReadAheadGate {
public:
    // Workers wait before opening file `fromIndex` of the list or a later one.
    void hold(std::size_t fromIndex = 0);
    void release();
    // Returns once `count` workers are waiting at the gate.
    void waitUntilHeld(std::size_t count);

    // For the workers: waits while file `index` is held; false when `stop`
    // was asked for first.
    bool pass(std::size_t index, std::stop_token stop);

private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::optional<std::size_t> heldFrom_;
    std::size_t waiting_ = 0;
};

class ReadAhead {
public:
    // Reads `files` with up to `threads` workers: startingReadThreads() of
    // them at once (all of them with a gate), the others once reads wait
    // for the disk (fewer when the system gives fewer). With none, take()
    // reads every file on the caller's thread, as it does for a file no
    // worker has come to yet.
    // With `preparation`, each file's text is made ready as prepareDeck
    // does, by the thread that read it, and what that throws is held for
    // the run as a read's error is.
    // `files` must outlive the object.
    ReadAhead(const DeckFiles& files, unsigned threads, ReadAheadLimits limits = {}, ReadAheadGate* gate = nullptr,
              std::optional<DeckTextOptions> preparation = std::nullopt);
    // Stops the workers and waits for them: no read goes on afterwards.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    std::size_t workerCount() const { return workers_.size(); }

    // Replaces `text` with file `index`'s, or throws what readWholeFile
    // (or the preparation) would have thrown for it. Called for 0, 1, 2, …
    // in turn.
    void take(std::size_t index, DeckText& text);
    // The same, without a preparation: the bytes.
    void take(std::size_t index, std::string& buffer);

private:
    struct Slot {
        enum class State { Empty, Reading, Read, Failed, LeftToTheRun };
        State state = State::Empty;
        // The file's text once read; between reads, a small buffer kept
        // for the next file of this slot.
        DeckText text;
        std::exception_ptr error;
        std::uint64_t charged = 0;  // bytes counted against the limit
        bool waitedForDisk = false;  // the read took longer than limits_.diskWait
    };

    void work(std::stop_token stop);
    // Starts workers until there are `count` (or the system gives no more).
    void startWorkers(std::size_t count);
    // Reads file `index` on the calling thread into `result`, noting a read
    // that waited for the disk, and prepares it.
    void timedRead(std::size_t index, Slot& result);
    void prepare(Slot& result) const;
    // Keeps the exception being handled in `result`, for the run.
    static void holdFailure(Slot& result);
    // Whether a read begun at `start` and over now waited for the disk.
    bool waitedForDisk(std::chrono::steady_clock::time_point start) const {
        return std::chrono::steady_clock::now() - start > limits_.diskWait;
    }
    // The next file for a worker, once it is within the limits, with the
    // slot's buffer in `into`; nothing when every file is claimed or the
    // workers are to stop. Called with `lock` held.
    std::optional<std::size_t> claim(std::unique_lock<std::mutex>& lock, std::stop_token& stop, Slot& into);
    void read(std::size_t index, Slot& result);
    // The run, waiting for its next file, reads the next unclaimed one.
    void readAheadOfTheRun(std::unique_lock<std::mutex>& lock);
    // Called with the lock held.
    void publish(std::size_t index, Slot& result);
    // Counts a read towards telling whether reads wait for the disk; with
    // the lock held.
    void noteRead(bool waitedForDisk);
    Slot& slotOf(std::size_t index) { return slots_[index % slots_.size()]; }
    // How many more files the workers may claim.
    std::size_t roomAhead() const { return taken_ + slots_.size() - nextToClaim_; }
    // Workers that wait for room are woken while fewer files than this
    // are ready ahead of the run: far fewer wake-ups than one for every
    // file the run takes. Nothing depends on them for order or progress:
    // the run reads a file itself when no worker has come to it.
    std::size_t wakeAt() const { return std::max<std::size_t>(slots_.size() / 4, 1); }

    const DeckFiles& files_;
    const ReadAheadLimits limits_;
    ReadAheadGate* const gate_;
    const std::optional<DeckTextOptions> preparation_;

    std::atomic<std::uint64_t> charged_ = 0;
    std::mutex mutex_;                      // guards what follows
    std::condition_variable_any roomMade_;  // the run took a file
    std::condition_variable fileReady_;     // a worker finished a file
    std::vector<Slot> slots_;               // file i in slot i % files ahead
    std::size_t mostWorkers_;               // lowered when the system gives no more threads
    std::size_t nextToClaim_ = 0;
    std::size_t taken_ = 0;                 // files the run has taken
    std::size_t finished_ = 0;              // files read, or left to the run
    std::size_t waitingForRoom_ = 0;        // workers
    bool runWaiting_ = false;
    // Slow reads count 3, quick ones -1 (down to 0); at kDiskBoundScore
    // the reads are taken to wait for the disk, and every worker starts.
    static constexpr int kDiskBoundScore = 24;
    int diskWaitScore_ = 0;
    bool diskBound_ = false;
    // Whether the last file the run read itself waited, until it is
    // counted at the next take(); the run's thread only.
    std::optional<bool> runRead_;

    // Last, so that the workers are stopped before anything they use goes.
    // Started and stopped by the run's thread only.
    std::vector<std::jthread> workers_;
    // Files the run reads itself are opened by folder too (see work()).
    FolderDescriptors runFolders_;
};

}  // namespace sormel
