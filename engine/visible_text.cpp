#include "engine/visible_text.h"

namespace sormel {

std::string visibleText(std::string_view utf8) {
    constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
        } else if (byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            const auto low = static_cast<unsigned char>(utf8[++i]);
            shown += {'\\', 'u', '0', '0', kHex[low >> 4], kHex[low & 0xF]};
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

}  // namespace sormel
