#include "export/posix_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace sormel::save_system {

// The handler may only read plain memory and make async-signal-safe calls,
// hence fixed slots holding a folder descriptor and a short name.
struct CleanupSlot {
    enum State : int { kFree, kClaimed, kInUse };
    std::atomic<int> state{kFree};
    int folder = -1;
    char name[kCleanupNameSize] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);

namespace {

std::array<CleanupSlot, 64> slots;
constexpr std::array kCleanedSignals{SIGINT, SIGTERM, SIGHUP};

void removeNamesAndStop(int signalNumber) {
    for (CleanupSlot& slot : slots) {
        if (slot.state.load() == CleanupSlot::kInUse) unlinkat(slot.folder, slot.name, 0);
    }
    // Ended by the signal itself, so that the exit status says so. It is
    // blocked while the handler runs and arrives as soon as it returns.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signalNumber, &standard, nullptr);
    raise(signalNumber);
}

void installHandlersOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int signalNumber : kCleanedSignals) {
            struct sigaction current {};
            if (sigaction(signalNumber, nullptr, &current) != 0) continue;
            // A signal the user chose to ignore (nohup) or one the program
            // handles itself is left as it is.
            if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;
            struct sigaction ours {};
            ours.sa_handler = removeNamesAndStop;
            sigemptyset(&ours.sa_mask);
            for (const int other : kCleanedSignals) sigaddset(&ours.sa_mask, other);
            sigaction(signalNumber, &ours, nullptr);
        }
    });
}

}  // namespace

bool RegisteredName::hold(int folder, const char* name) {
    installHandlersOnce();
    release();
    for (CleanupSlot& slot : slots) {
        int expected = CleanupSlot::kFree;
        if (!slot.state.compare_exchange_strong(expected, CleanupSlot::kClaimed)) continue;
        slot.folder = folder;
        std::snprintf(slot.name, sizeof slot.name, "%s", name);
        slot.state.store(CleanupSlot::kInUse);
        slot_ = &slot;
        return true;
    }
    return false;
}

const char* RegisteredName::name() const { return slot_ ? slot_->name : ""; }

void RegisteredName::release() {
    if (slot_) slot_->state.store(CleanupSlot::kFree);
    slot_ = nullptr;
}

}  // namespace sormel::save_system
