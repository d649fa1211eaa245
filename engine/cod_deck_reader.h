// Reading a Cockatrice .cod deck (XML): every `<card number="N" name="X"/>`
// in `<zone name="main">` or `<zone name="side">` is N copies of X (card
// number and name); other zones (tokens) count nothing.
#pragma once

#include "engine/xml_card_reader.h"

namespace sormel {

class CodDeckReader final : public XmlCardReader {
public:
    // Throws DeckFormatError naming the line when the document is not
    // well-formed or a counted card's number is missing or not whole.
    CodDeckReader(std::string_view text, bool includeSidePart);
};

}  // namespace sormel
