// Names of unfinished files that must not outlive the program: removed by
// the handler of SIGINT, SIGTERM and SIGHUP before the signal ends it.
#pragma once

#include <cstddef>

namespace sormel::save_system {

constexpr std::size_t kCleanupNameSize = 32;
struct CleanupSlot;

// One name in a folder (given by an open folder descriptor), removed on
// those signals while it is held. Handlers are installed with the first
// name, for the signals whose action is still the default.
class RegisteredName {
public:
    RegisteredName() = default;
    RegisteredName(const RegisteredName&) = delete;
    RegisteredName& operator=(const RegisteredName&) = delete;
    ~RegisteredName() { release(); }

    // False when too many names are held already. `name` must be shorter
    // than kCleanupNameSize.
    bool hold(int folder, const char* name);
    const char* name() const;
    bool held() const { return slot_ != nullptr; }
    void release();

private:
    CleanupSlot* slot_ = nullptr;
};

}  // namespace sormel::save_system
