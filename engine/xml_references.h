// The references of XML text (`&amp;`, `&#x3042;`, …), replaced by the
// characters they stand for. Only the five entities XML itself defines and
// character references are known: a deck file's DTD is never read, so any
// other entity is an error rather than text taken from somewhere else.
#pragma once

#include <cstddef>
#include <string_view>

namespace sormel {

struct XmlReferenceResult {
    std::size_t length = 0;        // of the replaced text
    const char* error = nullptr;   // null when every reference is known
    std::size_t errorOffset = 0;   // of the reference at fault
};

// Replaces the references in the `length` bytes at `text` in place (a
// reference is never shorter than its character's UTF-8 bytes).
XmlReferenceResult replaceXmlReferences(char* text, std::size_t length);

// Where the first byte of the null-terminated `text` that is `&`, `<` or
// below a blank is, its terminator included: most values hold none, and are
// passed over eight bytes at a time, so the 7 bytes after the terminator
// must be readable too.
std::size_t markupOrControlAt(const char* text);

// The number of line ends in text[from, to): CR LF, CR and LF each end one
// line (a CR LF is counted at its LF).
std::size_t countLineEnds(std::string_view text, std::size_t from, std::size_t to);

}  // namespace sormel
