#include "export/case_folding.h"

#include <array>

namespace sormel {
namespace {

// A run of characters that fold by adding `delta`: every one of them, or,
// with `pairs`, only those of the same parity as `first` (upper-case and
// lower-case letters taking turns).
struct FoldRange {
    char32_t first;
    char32_t last;
    int delta;
    bool pairs;
};

// From the Unicode Character Database's CaseFolding.txt, statuses C and S,
// in code point order.
constexpr std::array<FoldRange, 49> kFoldRanges{{
    {0x0041, 0x005A, 32, false},    // A-Z
    {0x00B5, 0x00B5, 775, false},   // micro sign → μ
    {0x00C0, 0x00D6, 32, false},    // À-Ö
    {0x00D8, 0x00DE, 32, false},    // Ø-Þ
    {0x0100, 0x012E, 1, true},      // Ā-Į
    {0x0132, 0x0136, 1, true},      // Ĳ-Ķ
    {0x0139, 0x0147, 1, true},      // Ĺ-Ň
    {0x014A, 0x0176, 1, true},      // Ŋ-Ŷ
    {0x0178, 0x0178, -121, false},  // Ÿ → ÿ
    {0x0179, 0x017D, 1, true},      // Ź-Ž
    {0x017F, 0x017F, -268, false},  // long s → s
    {0x0345, 0x0345, 116, false},   // combining ypogegrammeni → ι
    {0x0370, 0x0372, 1, true},
    {0x0376, 0x0376, 1, false},
    {0x037F, 0x037F, 116, false},   // Ϳ → ϳ
    {0x0386, 0x0386, 38, false},    // Ά
    {0x0388, 0x038A, 37, false},    // Έ-Ί
    {0x038C, 0x038C, 64, false},    // Ό
    {0x038E, 0x038F, 63, false},    // Ύ-Ώ
    {0x0391, 0x03A1, 32, false},    // Α-Ρ
    {0x03A3, 0x03AB, 32, false},    // Σ-Ϋ
    {0x03C2, 0x03C2, 1, false},     // final sigma → σ
    {0x03CF, 0x03CF, 8, false},     // Ϗ → ϗ
    {0x03D0, 0x03D0, -30, false},   // ϐ → β
    {0x03D1, 0x03D1, -25, false},   // ϑ → θ
    {0x03D5, 0x03D5, -15, false},   // ϕ → φ
    {0x03D6, 0x03D6, -22, false},   // ϖ → π
    {0x03D8, 0x03EE, 1, true},      // Ϙ-Ϯ
    {0x03F0, 0x03F0, -54, false},   // ϰ → κ
    {0x03F1, 0x03F1, -48, false},   // ϱ → ρ
    {0x03F4, 0x03F4, -60, false},   // ϴ → θ
    {0x03F5, 0x03F5, -64, false},   // ϵ → ε
    {0x03F7, 0x03F7, 1, false},     // Ϸ
    {0x03F9, 0x03F9, -7, false},    // Ϲ → ϲ
    {0x03FA, 0x03FA, 1, false},     // Ϻ
    {0x03FD, 0x03FF, -130, false},  // Ͻ-Ͽ → ͻ-ͽ
    {0x0400, 0x040F, 80, false},    // Ѐ-Џ
    {0x0410, 0x042F, 32, false},    // А-Я
    {0x0460, 0x0480, 1, true},      // Ѡ-Ҁ
    {0x048A, 0x04BE, 1, true},      // Ҋ-Ҿ
    {0x04C0, 0x04C0, 15, false},    // Ӏ → ӏ
    {0x04C1, 0x04CD, 1, true},      // Ӂ-Ӎ
    {0x04D0, 0x04FE, 1, true},      // Ӑ-Ӿ
    {0x0500, 0x052E, 1, true},      // Ԁ-Ԯ
    {0x1E00, 0x1E94, 1, true},      // Ḁ-Ẕ
    {0x1E9B, 0x1E9B, -58, false},   // ẛ → ṡ
    {0x1E9E, 0x1E9E, -7615, false}, // capital sharp s → ß
    {0x1EA0, 0x1EFE, 1, true},      // Ạ-Ỿ
    {0xFF21, 0xFF3A, 32, false},    // Ａ-Ｚ
}};

char32_t decode(const std::string& utf8, std::size_t& i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t cp = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    i += length;
    return cp;
}

void encode(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

char32_t simpleCaseFold(char32_t c) {
    for (const FoldRange& range : kFoldRanges) {
        if (c < range.first) break;
        if (c <= range.last && (!range.pairs || (c - range.first) % 2 == 0)) {
            return static_cast<char32_t>(static_cast<int>(c) + range.delta);
        }
    }
    return c;
}

std::string caseFolded(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) encode(out, simpleCaseFold(decode(utf8, i)));
    return out;
}

}  // namespace sormel
