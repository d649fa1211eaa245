#include "export/sheet_names.h"

#include <set>
#include <string_view>

#include "engine/text_decoding.h"
#include "export/case_folding.h"

namespace sormel {
namespace {

constexpr std::size_t kMaxUnits = 31;

// The characters of `text`, each as its UTF-8 bytes, invalid sequences
// replaced by U+FFFD first.
std::vector<std::string> characters(const std::string& text) {
    const std::string valid = toValidUtf8(text);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < valid.size();) {
        const auto lead = static_cast<unsigned char>(valid[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        out.push_back(valid.substr(i, length));
        i += length;
    }
    return out;
}

// A character outside the Basic Multilingual Plane (four UTF-8 bytes) is a
// surrogate pair in UTF-16, the units Excel counts.
std::size_t unitsOf(const std::string& character) { return character.size() == 4 ? 2 : 1; }

bool forbidden(const std::string& character) {
    if (character.size() != 1) return false;
    const auto c = static_cast<unsigned char>(character[0]);
    return c < 0x20 || c == 0x7F || std::string_view("[]:*?/\\").find(static_cast<char>(c)) != std::string_view::npos;
}

std::vector<std::string> validCharacters(const std::string& wanted) {
    std::vector<std::string> chars = characters(wanted);
    for (std::string& c : chars) {
        if (forbidden(c)) c = "_";
        if (c == "\xEF\xBF\xBE" || c == "\xEF\xBF\xBF") c = "\xEF\xBF\xBD";  // U+FFFE, U+FFFF: not in XML
    }
    if (chars.empty()) chars.emplace_back("_");
    if (chars.front() == "'") chars.front() = "_";
    return chars;
}

// The leading characters that fit in `units`, a trailing apostrophe (one
// the cut may have brought to the end) replaced.
std::string cut(const std::vector<std::string>& chars, std::size_t units) {
    std::string out;
    std::size_t used = 0;
    const std::string* last = nullptr;
    for (const std::string& c : chars) {
        if (used + unitsOf(c) > units) break;
        used += unitsOf(c);
        out += c;
        last = &c;
    }
    if (last != nullptr && *last == "'") out.back() = '_';
    return out;
}

// Letter case folded as Excel ignores it when it compares sheet names.
std::string comparisonKey(const std::string& name) { return caseFolded(name); }

}  // namespace

std::vector<std::string> uniqueSheetNames(const std::vector<std::string>& fixed,
                                          const std::vector<std::string>& wanted) {
    std::set<std::string> taken{comparisonKey("History")};
    for (const std::string& name : fixed) taken.insert(comparisonKey(name));
    std::vector<std::string> names;
    names.reserve(wanted.size());
    for (const std::string& text : wanted) {
        const std::vector<std::string> chars = validCharacters(text);
        std::string name = cut(chars, kMaxUnits);
        for (int copy = 2; !taken.insert(comparisonKey(name)).second; ++copy) {
            const std::string suffix = " (" + std::to_string(copy) + ")";
            name = cut(chars, kMaxUnits - suffix.size()) + suffix;
        }
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace sormel
