#include "export/atomic_file.h"

#include "export/save_set.h"

namespace sormel {

void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    SaveSet save;
    save.prepare(target, bytes);
    save.commitAll();
}

}  // namespace sormel
