// Telling which deck-list format a file is in, from its text.
#pragma once

#include <optional>
#include <string_view>

#include "engine/text_decoding.h"

namespace sormel {

enum class DeckFormat {
    Auto,    // decided per file
    Native,  // count,card number,card name
    List,    // plain text list
    Dek,     // MTGO .dek (XML)
    Ydk,     // YDK
    Cod,     // Cockatrice .cod (XML)
    O8d,     // OCTGN .o8d (XML)
    Ydke,    // a ydke:// URL
    Csv,     // CSV with a header row naming its columns
    Xml,     // XML with a root element the program does not know
};
inline constexpr std::size_t kDeckFormatCount = static_cast<std::size_t>(DeckFormat::Xml) + 1;

// The format named on a command line ("auto", "native", "list", "dek",
// "ydk", "cod", "o8d", "ydke", "csv"), if any.
std::optional<DeckFormat> deckFormatNamed(std::string_view name);

// The first rule that holds: the text starts (after blanks) with `<?xml`,
// `<Deck`, `<cockatrice_deck` or `<deck`: XML, told by its root element
// (`Deck` .dek, `cockatrice_deck` .cod, `deck` .o8d, any other Xml; .dek
// when no root can be found, so that the reader says what is wrong); the
// first non-blank line starts with `ydke://`: ydke; the first non-blank
// record is a CSV header naming a count and a name column: CSV; it has a
// native line (a count field of exactly `--`,
// or a `,` after a count field holding a non-zero leading number followed
// only by blanks or 枚): native; it has a line `#main`, `#extra` or
// `!side`: YDK; it has a plain-list card line: list; otherwise native.
// A native file is decided at its first native line.
DeckFormat detectDeckFormat(std::string_view text, DeckEncoding encoding);

// For a text that starts (after blanks) like XML, the format its root
// element names (Dek when it has none); Native for any other text.
DeckFormat xmlDeckFormat(std::string_view text);

// The name of an XML text's first element, past the declaration, comments
// and a document type; empty when there is none.
std::string_view xmlRootElement(std::string_view text);

// The format's name as --format spells it ("xml" for Xml).
std::string_view deckFormatName(DeckFormat format);

// Whether a line (UTF-8) is a line of the program's own format.
bool isNativeLine(std::string_view line);

}  // namespace sormel
