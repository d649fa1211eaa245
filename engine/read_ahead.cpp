#include "engine/read_ahead.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>
#include <utility>

#include "engine/deck_file.h"
#include "engine/system_file.h"

namespace sormel {
namespace {

// The largest buffer a slot keeps for its next file.
constexpr std::size_t kKeptBuffer = 64 * 1024;

}  // namespace

unsigned machineReadThreads() {
    // A worker spends most of its time waiting for the disk, so several
    // for each hardware thread keep enough reads in flight on a cold one;
    // on a warm one, those not needed sleep.
    const auto most = static_cast<unsigned>(ReadAheadLimits{}.files);
    return std::clamp(4 * std::thread::hardware_concurrency(), 2u, most);
}

unsigned startingReadThreads() {
    return std::max(std::thread::hardware_concurrency(), 2u) - 1;
}

unsigned readThreadsFromSetting(const char* setting) {
    if (setting == nullptr) return machineReadThreads();
    const char* end = setting + std::strlen(setting);
    unsigned threads = 0;
    const auto [stop, error] = std::from_chars(setting, end, threads);
    if (setting == end || error != std::errc() || stop != end || threads > ReadAheadLimits{}.files) {
        return machineReadThreads();
    }
    return threads;
}

void ReadAheadGate::hold(std::size_t fromIndex) {
    std::lock_guard lock(mutex_);
    heldFrom_ = fromIndex;
}

void ReadAheadGate::release() {
    {
        std::lock_guard lock(mutex_);
        heldFrom_.reset();
    }
    changed_.notify_all();
}

void ReadAheadGate::waitUntilHeld(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return waiting_ >= count; });
}

bool ReadAheadGate::pass(std::size_t index, std::stop_token stop) {
    std::unique_lock lock(mutex_);
    const auto open = [&] { return !heldFrom_ || index < *heldFrom_; };
    if (open()) return true;
    ++waiting_;
    changed_.notify_all();
    changed_.wait(lock, stop, open);
    --waiting_;
    return !stop.stop_requested();
}

ReadAhead::ReadAhead(const DeckFiles& files, unsigned threads, ReadAheadLimits limits, ReadAheadGate* gate,
                     std::optional<DeckTextOptions> preparation)
    : files_(files),
      limits_(limits),
      gate_(gate),
      preparation_(preparation),
      slots_(std::max<std::size_t>(limits.files, 1)),
      mostWorkers_(std::min<std::size_t>(threads, files.size())) {
    workers_.reserve(mostWorkers_);
    // A test that holds the workers at a gate wants all of them there.
    startWorkers(gate != nullptr ? mostWorkers_ : std::min<std::size_t>(mostWorkers_, startingReadThreads()));
}

void ReadAhead::startWorkers(std::size_t count) {
    try {
        while (workers_.size() < count) workers_.emplace_back([this](std::stop_token stop) { work(stop); });
    } catch (const std::system_error&) {
        // The system gives no more threads: read with those there are, or
        // on the run's own thread when there are none.
        mostWorkers_ = workers_.size();
    }
}

ReadAhead::~ReadAhead() {
    for (std::jthread& worker : workers_) worker.request_stop();
    workers_.clear();
}

void ReadAhead::take(std::size_t index, std::string& buffer) {
    DeckText text;
    text.bytes.swap(buffer);
    take(index, text);
    buffer.swap(text.bytes);
}

void ReadAhead::take(std::size_t index, DeckText& text) {
    Slot::State state;
    std::exception_ptr error;
    bool wakeWorker = false;
    bool startAll = false;
    {
        std::unique_lock lock(mutex_);
        if (runRead_) noteRead(*std::exchange(runRead_, std::nullopt));
        Slot& slot = slotOf(index);
        if (nextToClaim_ == index) {
            // No worker has come to this file yet (there are none, or they
            // are all busy): the run reads it itself rather than wait.
            ++nextToClaim_;
            ++finished_;
            slot.state = Slot::State::LeftToTheRun;
        }
        const auto ready = [&] { return slot.state != Slot::State::Empty && slot.state != Slot::State::Reading; };
        while (!ready()) {
            // Rather than sleep until its file is read, the run reads a
            // later one for the workers (not while a test holds them).
            if (gate_ == nullptr && nextToClaim_ < files_.size() && roomAhead() > 0) {
                readAheadOfTheRun(lock);
                continue;
            }
            runWaiting_ = true;
            fileReady_.wait(lock, ready);
            runWaiting_ = false;
        }
        state = slot.state;
        error = std::move(slot.error);
        if (state == Slot::State::Read) {
            std::swap(text, slot.text);
            // The run's last buffer goes to the next file of this slot,
            // unless it is large: a big file's buffer is not kept.
            slot.text.bytes.clear();
            slot.text.reader.reset();
            if (slot.text.bytes.capacity() > kKeptBuffer) std::string().swap(slot.text.bytes);
        }
        charged_ -= slot.charged;
        slot.charged = 0;
        slot.error = nullptr;
        slot.state = Slot::State::Empty;
        taken_ = index + 1;
        // Sleeping workers are woken one a file while few files are ready
        // ahead of the run: all of them join in on a slow disk, and a few
        // now and then where reading is quicker than the tally.
        wakeWorker = waitingForRoom_ > 0 && roomAhead() > 0 && finished_ - taken_ < wakeAt();
        startAll = diskBound_ && workers_.size() < mostWorkers_;
    }
    if (startAll) startWorkers(mostWorkers_);
    if (wakeWorker) roomMade_.notify_one();
    if (state == Slot::State::Failed) std::rethrow_exception(error);
    if (state == Slot::State::LeftToTheRun) {
        const auto start = std::chrono::steady_clock::now();
        readWholeFile(files_.folderOf(index), files_.nameText(index), text.bytes);
        runRead_ = waitedForDisk(start);
        if (preparation_) prepareDeck(text, *preparation_);
    }
}

void ReadAhead::readAheadOfTheRun(std::unique_lock<std::mutex>& lock) {
    const std::size_t index = nextToClaim_++;
    Slot& slot = slotOf(index);
    slot.state = Slot::State::Reading;
    Slot result;
    std::swap(result.text, slot.text);
    lock.unlock();
    timedRead(index, result);
    lock.lock();
    publish(index, result);
}

void ReadAhead::work(std::stop_token stop) {
    const FolderDescriptors folders;
    Slot result;
    std::unique_lock lock(mutex_);
    while (const std::optional<std::size_t> index = claim(lock, stop, result)) {
        lock.unlock();
        if (gate_ != nullptr && !gate_->pass(*index, stop)) return;
        timedRead(*index, result);
        lock.lock();
        publish(*index, result);
    }
}

std::optional<std::size_t> ReadAhead::claim(std::unique_lock<std::mutex>& lock, std::stop_token& stop, Slot& into) {
    ++waitingForRoom_;
    roomMade_.wait(lock, stop, [&] { return nextToClaim_ >= files_.size() || roomAhead() > 0; });
    --waitingForRoom_;
    if (stop.stop_requested() || nextToClaim_ >= files_.size()) return std::nullopt;
    const std::size_t index = nextToClaim_++;
    Slot& slot = slotOf(index);
    slot.state = Slot::State::Reading;
    std::swap(into.text, slot.text);
    return index;
}

void ReadAhead::timedRead(std::size_t index, Slot& result) {
    const auto start = std::chrono::steady_clock::now();
    read(index, result);
    result.waitedForDisk = waitedForDisk(start);
    if (result.state == Slot::State::Read) prepare(result);
}

void ReadAhead::prepare(Slot& result) const {
    if (!preparation_) return;
    try {
        prepareDeck(result.text, *preparation_);
    } catch (...) {
        holdFailure(result);
    }
}

void ReadAhead::holdFailure(Slot& result) {
    // Held for the run, which reports it when it reaches this file.
    result.error = std::current_exception();
    result.state = Slot::State::Failed;
    result.text.bytes.clear();
    result.text.reader.reset();
}

void ReadAhead::read(std::size_t index, Slot& result) {
    result.charged = 0;
    try {
        OpenedDeckFile file(files_.folderOf(index), files_.nameText(index));
        const std::uint64_t size = file.sizeAtOpen();
        // Counted before the read, so that workers together never start
        // reading more than the limit; a file that does not fit is left
        // to the run.
        if (charged_.fetch_add(size) + size > limits_.bytes) {
            charged_ -= size;
            result.state = Slot::State::LeftToTheRun;
            return;
        }
        result.charged = size;
        std::string& bytes = result.text.bytes;
        bytes.reserve(static_cast<std::size_t>(size));
        file.readInto(bytes);
        // It may have grown while it was read.
        if (bytes.size() > size) {
            charged_ += bytes.size() - size;
            result.charged = bytes.size();
        }
        result.state = Slot::State::Read;
    } catch (...) {
        holdFailure(result);
    }
}

void ReadAhead::noteRead(bool waitedForDisk) {
    // A read now and then is slow from the page cache too (the thread was
    // preempted, memory was paged in): the rest of the workers start once
    // slow reads outweigh quick ones three to one for a while.
    if (waitedForDisk) {
        diskWaitScore_ += 3;
        diskBound_ = diskBound_ || diskWaitScore_ >= kDiskBoundScore;
    } else if (diskWaitScore_ > 0) {
        --diskWaitScore_;
    }
}

void ReadAhead::publish(std::size_t index, Slot& result) {
    Slot& slot = slotOf(index);
    slot.state = result.state;
    std::swap(slot.text, result.text);
    slot.error = std::move(result.error);
    result.error = nullptr;
    slot.charged = result.charged;
    ++finished_;
    noteRead(result.waitedForDisk);
    if (runWaiting_ && index == taken_) fileReady_.notify_one();
}

}  // namespace sormel
