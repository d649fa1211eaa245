#include "export/posix_cleanup.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

#include "export/save_system.h"

namespace sormel::save_system {

// The handler may only read plain memory and make async-signal-safe calls,
// hence slots holding a folder descriptor and a short name, in blocks that
// are added as needed and never freed.
struct CleanupSlot {
    enum State : int { kFree, kClaimed, kInUse };
    std::atomic<int> state{kFree};
    int folder = -1;
    bool isFolder = false;
    char name[kCleanupNameSize] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);

namespace {

struct SlotBlock {
    CleanupSlot* slots;
    std::size_t count;
    std::atomic<SlotBlock*> next{nullptr};
};

std::array<CleanupSlot, 64> firstSlots;
SlotBlock firstBlock{firstSlots.data(), firstSlots.size()};
std::mutex growing;  // one thread at a time adds a block

constexpr std::array kCleanedSignals{SIGINT, SIGTERM, SIGHUP};
std::atomic<int> openWindows{0};
std::atomic<int> heldBackSignal{0};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Only system calls: this runs in the signal handler. Removing entries
// while reading the folder may skip some, so it reads again until a pass
// finds nothing left.
void removeFolder(int parent, const char* name) {
    const int folder = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0) {
#ifdef __linux__
        alignas(8) char buffer[4096];
        for (int pass = 0; pass < 16; ++pass) {
            bool removed = false;
            lseek(folder, 0, SEEK_SET);
            for (;;) {
                const ssize_t got = getdents64(folder, buffer, sizeof buffer);
                if (got <= 0) break;
                for (ssize_t at = 0; at < got;) {
                    const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
                    at += entry->d_reclen;
                    if (!isDotOrDotDot(entry->d_name) && unlinkat(folder, entry->d_name, 0) == 0) removed = true;
                }
            }
            if (!removed) break;
        }
#endif
        close(folder);
    }
    unlinkat(parent, name, AT_REMOVEDIR);
}

void removeNamesAndStop(int signalNumber) {
    for (SlotBlock* block = &firstBlock; block != nullptr; block = block->next.load()) {
        for (std::size_t i = 0; i < block->count; ++i) {
            CleanupSlot& slot = block->slots[i];
            if (slot.state.load() != CleanupSlot::kInUse) continue;
            if (slot.isFolder) {
                removeFolder(slot.folder, slot.name);
            } else {
                unlinkat(slot.folder, slot.name, 0);
            }
        }
    }
    // Ended by the signal itself, so that the exit status says so. It is
    // blocked while the handler runs and arrives as soon as it returns.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signalNumber, &standard, nullptr);
    raise(signalNumber);
}

void onSignal(int signalNumber) {
    // Files are being put in place: the thread doing it acts on the signal
    // when it is done. Checked again after noting it, in case that thread
    // finished in between and did not see it.
    if (openWindows.load() > 0) {
        heldBackSignal.store(signalNumber);
        if (openWindows.load() > 0) return;
    }
    removeNamesAndStop(signalNumber);
}

sigset_t cleanedSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : kCleanedSignals) sigaddset(&set, signalNumber);
    return set;
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
            ours.sa_handler = onSignal;
            ours.sa_mask = cleanedSignals();
            sigaction(signalNumber, &ours, nullptr);
        }
    });
}

CleanupSlot* claimSlot() {
    for (;;) {
        SlotBlock* last = &firstBlock;
        for (SlotBlock* block = &firstBlock; block != nullptr; block = block->next.load()) {
            last = block;
            for (std::size_t i = 0; i < block->count; ++i) {
                // Looked at before trying to take it: with thousands of
                // names held, a failed exchange on each costs far more.
                if (block->slots[i].state.load(std::memory_order_relaxed) != CleanupSlot::kFree) continue;
                int expected = CleanupSlot::kFree;
                if (block->slots[i].state.compare_exchange_strong(expected, CleanupSlot::kClaimed)) {
                    return &block->slots[i];
                }
            }
        }
        const std::lock_guard lock(growing);
        // Another thread may have added a block while this one looked.
        if (last->next.load() != nullptr) continue;
        auto* block = new SlotBlock{new CleanupSlot[last->count * 2], last->count * 2};
        last->next.store(block);
    }
}

}  // namespace

void RegisteredName::hold(int folder, const char* name, Kind kind) {
    installHandlersOnce();
    release();
    CleanupSlot* slot = claimSlot();
    slot->folder = folder;
    slot->isFolder = kind == Kind::Folder;
    std::snprintf(slot->name, sizeof slot->name, "%s", name);
    slot->state.store(CleanupSlot::kInUse);
    slot_ = slot;
}

const char* RegisteredName::name() const { return slot_ ? slot_->name : ""; }

void RegisteredName::release() {
    if (slot_) slot_->state.store(CleanupSlot::kFree);
    slot_ = nullptr;
}

struct CommitWindow::SavedMask {
    sigset_t previous;
};

CommitWindow::CommitWindow() : saved_(std::make_unique<SavedMask>()) {
    installHandlersOnce();
    const sigset_t cleaned = cleanedSignals();
    pthread_sigmask(SIG_BLOCK, &cleaned, &saved_->previous);
    openWindows.fetch_add(1);
}

CommitWindow::~CommitWindow() {
    const int heldBack = openWindows.fetch_sub(1) == 1 ? heldBackSignal.exchange(0) : 0;
    // A signal sent to this thread meanwhile arrives here, with no window open.
    pthread_sigmask(SIG_SETMASK, &saved_->previous, nullptr);
    if (heldBack != 0) removeNamesAndStop(heldBack);
}

}  // namespace sormel::save_system
