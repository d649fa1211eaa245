#include "engine/xml_references.h"

#include <cstdint>
#include <cstring>

#include "engine/text_decoding.h"

namespace sormel {
namespace {

// A character XML allows in a document.
bool isXmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The code point of a character reference's body (`#65`, `#x41`), or
// nothing above 0x10FFFF when it is none.
std::uint32_t characterNumber(std::string_view body) {
    constexpr std::uint32_t kNone = 0x110000;
    const bool hex = body.size() > 1 && body[1] == 'x';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty()) return kNone;
    std::uint32_t value = 0;
    for (const char c : digits) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return kNone;
        }
        value = value * (hex ? 16u : 10u) + digit;
        if (value >= kNone) return kNone;
    }
    return value;
}

char predefinedEntity(std::string_view name) {
    if (name == "amp") return '&';
    if (name == "lt") return '<';
    if (name == "gt") return '>';
    if (name == "quot") return '"';
    if (name == "apos") return '\'';
    return 0;
}

}  // namespace

XmlReferenceResult replaceXmlReferences(char* text, std::size_t length) {
    char* amp = static_cast<char*>(std::memchr(text, '&', length));
    if (amp == nullptr) return {length, nullptr, 0};
    char* out = amp;
    const char* in = amp;
    const char* const end = text + length;
    while (in < end) {
        if (*in != '&') {
            *out++ = *in++;
            continue;
        }
        const auto* semicolon = static_cast<const char*>(std::memchr(in, ';', static_cast<std::size_t>(end - in)));
        const auto offset = static_cast<std::size_t>(in - text);
        if (semicolon == nullptr) return {0, "not well-formed (invalid token)", offset};
        const std::string_view body(in + 1, static_cast<std::size_t>(semicolon - in - 1));
        if (!body.empty() && body[0] == '#') {
            const std::uint32_t c = characterNumber(body);
            if (!isXmlChar(c)) return {0, "reference to invalid character number", offset};
            out = writeUtf8(out, c);
        } else if (const char c = predefinedEntity(body)) {
            *out++ = c;
        } else {
            return {0, "undefined entity", offset};
        }
        in = semicolon + 1;
    }
    return {static_cast<std::size_t>(out - text), nullptr, 0};
}

std::size_t markupOrControlAt(const char* text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u, kHigh = 0x8080808080808080u;
    // Whether a byte of `word` is below `n` (n at most 0x80): exact as to
    // whether there is one.
    const auto anyBelow = [](std::uint64_t word, std::uint64_t n) { return ((word - kOnes * n) & ~word & kHigh) != 0; };
    std::size_t i = 0;
    for (;; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, 8);
        if (anyBelow(word, 0x20) || anyBelow(word ^ (kOnes * '&'), 1) || anyBelow(word ^ (kOnes * '<'), 1)) break;
    }
    for (;; ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) < 0x20 || c == '&' || c == '<') return i;
    }
}

std::size_t countLineEnds(std::string_view text, std::size_t from, std::size_t to) {
    const char* const begin = text.data() + from;
    const auto length = to - from;
    std::size_t lines = 0;
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\n', length - static_cast<std::size_t>(p - begin))));
         ++p) {
        ++lines;
    }
    // A CR ends a line of its own unless an LF follows it.
    for (const char* p = begin; (p = static_cast<const char*>(std::memchr(p, '\r', length - static_cast<std::size_t>(p - begin))));
         ++p) {
        const auto next = static_cast<std::size_t>(p - text.data()) + 1;
        lines += static_cast<std::size_t>(next == text.size() || text[next] != '\n');
    }
    return lines;
}

}  // namespace sormel
