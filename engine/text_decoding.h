// Telling how a deck file is encoded and turning its text into UTF-8.
//
// A file starting with a byte-order mark is UTF-8 or UTF-16 as the mark
// says; otherwise a file that is valid UTF-8 as a whole is UTF-8; anything
// else is Shift_JIS as Windows writes it (code page 932). Lines and fields
// of a code-page-932 file are cut on its raw bytes: CR, LF and "," never
// occur inside one of its double-byte characters, so only the fields that
// are kept need decoding.
#pragma once

#include <string>
#include <string_view>

namespace sormel {

// Writes `cp` (a code point up to U+10FFFF) as UTF-8 at `out`, which has
// room for four bytes, and returns the end of what it wrote.
char* writeUtf8(char* out, char32_t cp);

enum class DeckEncoding {
    Utf8,   // the text is UTF-8 (UTF-16 and BOM files are converted to it)
    Cp932,  // the text is raw code-page-932 bytes
};

// Prepares a whole file's bytes for cutting into lines: drops a byte-order
// mark, converts UTF-16 to UTF-8, replaces invalid sequences of a file
// marked as UTF-8 with U+FFFD, and says which kind of text remains.
DeckEncoding prepareDeckText(std::string& bytes);

bool isValidUtf8(std::string_view bytes);
bool isAscii(std::string_view bytes);

// The bytes with every invalid UTF-8 sequence replaced by U+FFFD, for
// showing names that may not be UTF-8 (file names, for one).
std::string toValidUtf8(std::string_view bytes);

// Code page 932 to UTF-8; bytes that do not decode become U+FFFD.
std::string decodeCp932(std::string_view bytes);

// Appends `utf8` to `out` in code page 932; characters that code page
// cannot hold become "?". Returns how many did.
std::size_t appendCp932(std::string& out, std::string_view utf8);

// A field of prepared deck text, as UTF-8.
inline std::string decodeField(std::string_view field, DeckEncoding encoding) {
    return encoding == DeckEncoding::Cp932 ? decodeCp932(field) : std::string(field);
}

}  // namespace sormel
