#include "engine/read_ahead.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>

#include "engine/deck_file.h"

namespace sormel {

unsigned machineReadThreads() {
    const auto most = static_cast<unsigned>(ReadAheadLimits{}.files);
    return std::clamp(std::thread::hardware_concurrency(), 2u, most);
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

ReadAhead::ReadAhead(const std::vector<std::filesystem::path>& files, unsigned threads, ReadAheadLimits limits,
                     ReadAheadGate* gate)
    : files_(files), limits_(limits), gate_(gate), slots_(std::max<std::size_t>(limits.files, 1)) {
    const std::size_t count = std::min<std::size_t>(threads, files.size());
    workers_.reserve(count);
    try {
        while (workers_.size() < count) workers_.emplace_back([this](std::stop_token stop) { work(stop); });
    } catch (const std::system_error&) {
        // The system gives no more threads: read with those there are, or
        // on the run's own thread when there are none.
    }
}

ReadAhead::~ReadAhead() {
    for (std::jthread& worker : workers_) worker.request_stop();
    workers_.clear();
}

void ReadAhead::take(std::size_t index, std::string& buffer) {
    Slot slot;
    bool wakeWorkers = false;
    {
        std::unique_lock lock(mutex_);
        Slot& waited = slotOf(index);
        if (nextToClaim_ == index) {
            // No worker has come to this file yet (there are none, or they
            // are all busy): the run reads it itself rather than wait.
            ++nextToClaim_;
            waited.state = Slot::State::LeftToTheRun;
        }
        runWaiting_ = true;
        fileReady_.wait(lock, [&] { return waited.state != Slot::State::Empty && waited.state != Slot::State::Reading; });
        runWaiting_ = false;
        slot = std::move(waited);
        waited = Slot{};
        charged_ -= slot.charged;
        taken_ = index + 1;
        wakeWorkers = waitingForRoom_ > 0 && roomAhead() >= wakeAt();
    }
    if (wakeWorkers) roomMade_.notify_one();
    switch (slot.state) {
        case Slot::State::Read: buffer.swap(slot.bytes); return;
        case Slot::State::Failed: std::rethrow_exception(slot.error);
        default: readWholeFile(files_[index], buffer); return;
    }
}

void ReadAhead::work(std::stop_token stop) {
    while (const std::optional<std::size_t> index = claim(stop)) {
        if (gate_ != nullptr && !gate_->pass(*index, stop)) return;
        Slot result;
        read(*index, result);
        publish(*index, std::move(result));
    }
}

std::optional<std::size_t> ReadAhead::claim(std::stop_token& stop) {
    std::unique_lock lock(mutex_);
    ++waitingForRoom_;
    roomMade_.wait(lock, stop, [&] { return nextToClaim_ >= files_.size() || roomAhead() > 0; });
    --waitingForRoom_;
    if (stop.stop_requested() || nextToClaim_ >= files_.size()) return std::nullopt;
    slotOf(nextToClaim_).state = Slot::State::Reading;
    const std::size_t index = nextToClaim_++;
    // Another worker joins in only while the room stays large, that is,
    // while those awake do not keep up with the run.
    if (waitingForRoom_ > 0 && roomAhead() >= 2 * wakeAt()) roomMade_.notify_one();
    return index;
}

void ReadAhead::read(std::size_t index, Slot& result) {
    try {
        OpenedDeckFile file(files_[index]);
        const std::uint64_t size = file.sizeAtOpen();
        {
            std::lock_guard lock(mutex_);
            if (charged_ + size > limits_.bytes) {
                result.state = Slot::State::LeftToTheRun;
                return;
            }
            charged_ += size;
            result.charged = size;
        }
        result.bytes.reserve(static_cast<std::size_t>(size));
        file.readInto(result.bytes);
        result.state = Slot::State::Read;
    } catch (...) {
        // Held for the run, which reports it when it reaches this file.
        result.error = std::current_exception();
        result.state = Slot::State::Failed;
        result.bytes = std::string();
    }
}

void ReadAhead::publish(std::size_t index, Slot&& result) {
    {
        std::lock_guard lock(mutex_);
        // What the file holds now: it may have grown while it was read.
        const std::uint64_t held = result.bytes.capacity();
        charged_ = charged_ - result.charged + held;
        result.charged = held;
        slotOf(index) = std::move(result);
        if (!runWaiting_ || index != taken_) return;
    }
    fileReady_.notify_one();
}

}  // namespace sormel
