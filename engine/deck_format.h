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
};

// The format named on a command line ("auto", "native", "list", "dek",
// "ydk"), if any.
std::optional<DeckFormat> deckFormatNamed(std::string_view name);

// The first rule that holds: the text starts (after blanks) with `<?xml`
// or `<Deck`: .dek; it has a native line (a count field of exactly `--`,
// or a `,` after a count field holding a non-zero leading number followed
// only by blanks or 枚): native; it has a line `#main`, `#extra` or
// `!side`: YDK; it has a plain-list card line: list; otherwise native.
// A native file is decided at its first native line.
DeckFormat detectDeckFormat(std::string_view text, DeckEncoding encoding);

// Whether a line (UTF-8) is a line of the program's own format.
bool isNativeLine(std::string_view line);

}  // namespace sormel
