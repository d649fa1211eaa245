// A deck file's text made ready for the run: its encoding and format told,
// decoded to UTF-8 where its reader wants that, and a whole XML document
// already parsed. Read-ahead workers do this off the run's thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/deck_format.h"
#include "engine/deck_reader.h"
#include "engine/text_decoding.h"

namespace sormel {

struct DeckText {
    // The bytes, byte order mark removed; decoded to UTF-8 for every format
    // but the program's own, which is read on the raw bytes.
    std::string bytes;
    DeckEncoding encoding = DeckEncoding::Utf8;
    DeckFormat format = DeckFormat::Auto;
    // The reader of an XML format, its document parsed (its cards held
    // apart from `bytes`); null where the run makes the reader itself.
    std::unique_ptr<DeckReader> reader;
};

struct DeckTextOptions {
    DeckFormat format = DeckFormat::Auto;  // Auto: told for each file
    bool includeSidePart = true;
};

// Makes `text.bytes`, as read, ready. Throws DeckFormatError (with the line)
// for an XML document that is not well-formed.
void prepareDeck(DeckText& text, const DeckTextOptions& options);

// A reader of `text` (UTF-8) in `format`, for every format but the
// program's own. Throws DeckFormatError as prepareDeck does.
std::unique_ptr<DeckReader> makeDeckReader(DeckFormat format, std::string_view text, bool includeSidePart);

}  // namespace sormel
