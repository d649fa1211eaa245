#include "engine/shown_names.h"

#include "engine/text_decoding.h"

namespace sormel {

std::string shownFolderName(std::string_view bytes) {
    return isValidUtf8(bytes) ? std::string(bytes) : decodeCp932(bytes);
}

std::string DistinctNames::give(const std::string& name) {
    std::string shown = name;
    for (int copy = 2; !taken_.insert(shown).second; ++copy) shown = name + " (" + std::to_string(copy) + ")";
    return shown;
}

}  // namespace sormel
