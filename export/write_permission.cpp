#include "export/write_permission.h"

#include <algorithm>

namespace sormel {

bool permitsWriting(const FileOwnership& file, const Credentials& who) {
    constexpr std::uint32_t kOwnerWrite = 0200;
    constexpr std::uint32_t kGroupWrite = 0020;
    constexpr std::uint32_t kOtherWrite = 0002;
    if (who.user == 0) return (file.mode & (kOwnerWrite | kGroupWrite | kOtherWrite)) != 0;
    if (who.user == file.user) return (file.mode & kOwnerWrite) != 0;
    const bool inGroup = who.group == file.group || std::ranges::find(who.supplementaryGroups, file.group) !=
                                                        who.supplementaryGroups.end();
    if (inGroup) return (file.mode & kGroupWrite) != 0;
    return (file.mode & kOtherWrite) != 0;
}

}  // namespace sormel
