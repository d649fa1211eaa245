// Names of unfinished files that must not outlive the program: removed by
// the handler of SIGINT, SIGTERM and SIGHUP before the signal ends it. The
// same handler holds those signals back during a CommitWindow
// (save_system.h).
#pragma once

#include <cstddef>

namespace sormel::save_system {

constexpr std::size_t kCleanupNameSize = 32;
struct CleanupSlot;

// One name in a folder (given by an open folder descriptor), removed on
// those signals while it is held. Handlers are installed with the first
// name, for the signals whose action is still the default. There is room
// for as many names as the program holds at once: it grows when a name is
// taken, never in the handler.
class RegisteredName {
public:
    enum class Kind {
        File,
        // A folder of the program's own: the files in it go first, then the
        // folder itself.
        Folder,
    };

    RegisteredName() = default;
    RegisteredName(const RegisteredName&) = delete;
    RegisteredName& operator=(const RegisteredName&) = delete;
    ~RegisteredName() { release(); }

    // `name` must be shorter than kCleanupNameSize. Throws std::bad_alloc
    // when no memory is left for it.
    void hold(int folder, const char* name, Kind kind = Kind::File);
    const char* name() const;
    bool held() const { return slot_ != nullptr; }
    void release();

private:
    CleanupSlot* slot_ = nullptr;
};

}  // namespace sormel::save_system
