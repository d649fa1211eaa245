// The single pass over a plain XML document: an optional declaration, then
// one element tree of elements, attributes and text, blanks around it.
// Anything else (comments, CDATA, a DOCTYPE, processing instructions, tabs
// or line breaks inside attribute values, names beyond ASCII, elements
// nested more than 64 deep, anything not well-formed) makes it give up, and
// the tree parser reads the document instead: this pass never refuses a
// document itself, so every message and its line comes from one place.
#include <array>
#include <cstdint>
#include <cstring>

#include "engine/xml_parse_state.h"

namespace sormel {
namespace {

enum : unsigned char {
    kBlank = 1,       // space, tab, CR, LF
    kNameStart = 2,   // ASCII letters, `_`, `:`
    kName = 4,        // and digits, `-`, `.`
    kInDoubleQuotes = 8,  // in an attribute value as it is: not its quote, `<`, `&` or a control character
    kInSingleQuotes = 64,
    kText = 16,       // in text as it is: not `<`, `&`, `>` or a control character but a blank
    kDeclared = 32,   // in a declaration's value: ASCII letters, digits, `.`, `_`, `-`
};

constexpr std::array<unsigned char, 256> kClasses = [] {
    std::array<unsigned char, 256> classes{};
    for (unsigned c = 0x20; c < 0x100; ++c) {
        if (c != '<' && c != '&') classes[c] |= (c != '"' ? kInDoubleQuotes : 0) | (c != '\'' ? kInSingleQuotes : 0);
        if (c != '<' && c != '&' && c != '>') classes[c] |= kText;
    }
    for (const char c : {' ', '\t', '\r', '\n'}) classes[static_cast<unsigned char>(c)] |= kBlank | kText;
    for (unsigned c = 0; c < 0x80; ++c) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || c == '_' || c == ':') classes[c] |= kNameStart | kName;
        if (digit || c == '-' || c == '.') classes[c] |= kName;
        if (letter || digit || c == '.' || c == '_' || c == '-') classes[c] |= kDeclared;
    }
    return classes;
}();

bool is(char c, unsigned char classes) { return (kClasses[static_cast<unsigned char>(c)] & classes) != 0; }

// Whether `p` ends a line: CR LF, CR and LF each end one (a CR LF at its LF).
bool endsLine(const char* p) { return *p == '\n' || (*p == '\r' && p[1] != '\n'); }

// Steps over blanks, counting the line ends among them; whether there were any.
bool skipBlanks(char*& p, std::size_t& lineEnds) {
    char* const from = p;
    while (*p == ' ') ++p;
    for (; is(*p, kBlank); ++p) lineEnds += endsLine(p);
    return p != from;
}

// A name, or empty when none starts at `p`.
std::string_view name(char*& p) {
    char* const from = p;
    if (!is(*p, kNameStart)) return {};
    while (is(*++p, kName)) {
    }
    return {from, static_cast<std::size_t>(p - from)};
}

// `<?xml` and its pseudo-attributes of plain values, up to `?>`.
bool skipDeclaration(char*& p, std::size_t& lineEnds) {
    if (std::strncmp(p, "<?xml", 5) != 0 || !is(p[5], kBlank)) return false;
    p += 5;
    for (;;) {
        const bool blank = skipBlanks(p, lineEnds);
        if (p[0] == '?' && p[1] == '>') {
            p += 2;
            return true;
        }
        if (!blank || !is(*p, kNameStart)) return false;
        while (is(*p, kNameStart)) ++p;
        const char quote = p[1];
        if (p[0] != '=' || (quote != '"' && quote != '\'')) return false;
        p += 2;
        while (is(*p, kDeclared)) ++p;
        if (*p++ != quote) return false;
    }
}

// An attribute value from the quote at `p`, its references replaced and a
// zero written after it; null when it holds what the tree parser changes or
// refuses.
const char* attributeValue(char*& p) {
    const char quote = *p;
    if (quote != '"' && quote != '\'') return nullptr;
    const unsigned char plain = quote == '"' ? kInDoubleQuotes : kInSingleQuotes;
    char* const value = ++p;
    bool references = false;
    for (;; ++p) {
        if (is(*p, plain)) continue;
        if (*p == quote) break;
        if (*p != '&') return nullptr;
        references = true;
    }
    auto length = static_cast<std::size_t>(p - value);
    if (references) {
        const XmlReferenceResult replaced = replaceXmlReferences(value, length);
        if (replaced.error != nullptr) return nullptr;
        length = replaced.length;
    }
    value[length] = '\0';
    ++p;
    return value;
}

// Text up to the next `<`, its references checked and its line ends counted.
bool skipText(char*& p, std::size_t& lineEnds) {
    char* const text = p;
    bool references = false;
    for (; *p != '<'; ++p) {
        if (is(*p, kText)) {
            lineEnds += endsLine(p);
            continue;
        }
        if (*p != '&') return false;
        references = true;
    }
    return !references || replaceXmlReferences(text, static_cast<std::size_t>(p - text)).error == nullptr;
}

}  // namespace

bool XmlDeckParser::scanPlain(char* const buffer) {
    State& s = *state_;
    const char* const end = buffer + s.text.size();
    char* p = buffer;
    // Line ends are only ever met among blanks and in text.
    std::size_t lineEnds = 0;
    if (p[0] == '<' && p[1] == '?' && !skipDeclaration(p, lineEnds)) return false;
    skipBlanks(p, lineEnds);
    // The elements open around the current one, deepest last.
    constexpr std::size_t kMaxDepth = 64;
    std::array<std::string_view, kMaxDepth> open;
    std::size_t depth = 0;
    do {
        if (*p++ != '<') return false;
        if (*p == '/') {
            if (depth == 0) return false;
            ++p;
            const std::string_view closed = name(p);
            skipBlanks(p, lineEnds);
            if (*p++ != '>' || closed.empty() || closed != open[depth - 1]) return false;
            endElement(closed);
            --depth;
        } else {
            s.offset = s.offsetOf(p);
            s.knownLine = s.skippedLines + lineEnds + 1;
            const std::string_view element = name(p);
            if (element.empty()) return false;
            s.attributes.clear();
            // A bit for each attribute's size and last letter: only names
            // whose bits meet need comparing for a duplicate.
            std::uint64_t seen = 0;
            bool empty = false;
            for (;;) {
                const bool blank = skipBlanks(p, lineEnds);
                if (*p == '>' || (p[0] == '/' && p[1] == '>')) {
                    empty = *p == '/';
                    p += empty ? 2 : 1;
                    break;
                }
                const std::string_view attribute = name(p);
                if (!blank || attribute.empty() || *p++ != '=') return false;
                const char* value = attributeValue(p);
                if (value == nullptr) return false;
                const std::uint64_t bit = std::uint64_t{1}
                                          << ((attribute.size() * 7 + static_cast<unsigned char>(attribute.back())) & 63);
                if ((seen & bit) != 0) {
                    for (const XmlAttribute& before : s.attributes) {
                        if (before.name == attribute) return false;
                    }
                }
                seen |= bit;
                s.attributes.push_back({attribute, value});
            }
            startElement(element, s.attributes);
            if (!s.error.empty()) return false;
            if (empty) {
                endElement(element);
            } else {
                if (depth == kMaxDepth) return false;
                open[depth++] = element;
            }
        }
        if (depth > 0 && !skipText(p, lineEnds)) return false;
    } while (depth > 0);
    skipBlanks(p, lineEnds);
    return p == end;
}

}  // namespace sormel
