// Names of unfinished files that must not outlive the program on Windows:
// removed by the console's control handler (Ctrl+C, Ctrl+Break, the console
// closed, the user logging off) before the program ends. The handler waits
// while a CommitWindow (save_system.h) is open.
#pragma once

#include <string>

namespace sormel::save_system {

struct CleanupEntry;

class CleanupName {
public:
    enum class Kind {
        File,
        // A folder of the program's own: removed with everything in it.
        Folder,
    };

    CleanupName() = default;
    CleanupName(const CleanupName&) = delete;
    CleanupName& operator=(const CleanupName&) = delete;
    ~CleanupName() { release(); }

    void hold(const std::wstring& path, Kind kind = Kind::File);
    bool held() const { return entry_ != nullptr; }
    void release();

private:
    CleanupEntry* entry_ = nullptr;
};

}  // namespace sormel::save_system
