#include "engine/path_bytes.h"

#include "engine/wide_text_win.h"

namespace sormel {

std::string pathBytes(const std::filesystem::path& path) {
    std::string bytes = narrow(path.native());
    for (char& c : bytes) {
        if (c == '\\') c = '/';
    }
    return bytes;
}

std::filesystem::path pathFromBytes(const std::string& bytes) { return std::filesystem::path(widen(bytes)); }

}  // namespace sormel
