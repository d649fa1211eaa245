#include "export/posix_folders.h"

#include <sys/stat.h>

#include <map>
#include <mutex>
#include <utility>

namespace sormel::save_system {
namespace {

using FolderKey = std::pair<dev_t, ino_t>;

// The folders held now. Never destroyed: a descriptor may be let go of
// while the program ends.
struct HeldFolders {
    std::mutex lock;
    std::map<FolderKey, std::weak_ptr<const Descriptor>> byIdentity;
};

HeldFolders& heldFolders() {
    static auto* held = new HeldFolders;
    return *held;
}

// When the last holder lets go. The entry may already stand for a newer
// descriptor of the same folder, opened meanwhile: that one stays.
void letGo(const FolderKey& key, const Descriptor* folder) {
    HeldFolders& held = heldFolders();
    {
        const std::lock_guard guard(held.lock);
        const auto found = held.byIdentity.find(key);
        if (found != held.byIdentity.end() && found->second.expired()) held.byIdentity.erase(found);
    }
    delete folder;
}

}  // namespace

SharedFolder shareFolder(Descriptor opened, const struct stat& status) {
    const FolderKey key{status.st_dev, status.st_ino};
    // Made before the lock is taken: letting go of it takes the lock.
    SharedFolder fresh(new Descriptor(std::move(opened)), [key](const Descriptor* gone) { letGo(key, gone); });
    HeldFolders& held = heldFolders();
    const std::lock_guard guard(held.lock);
    std::weak_ptr<const Descriptor>& entry = held.byIdentity[key];
    SharedFolder folder = entry.lock();
    if (!folder) entry = folder = fresh;
    return folder;
}

}  // namespace sormel::save_system
