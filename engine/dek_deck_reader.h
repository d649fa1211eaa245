// Reading an MTGO .dek deck (XML): every `Cards` element with its
// `Quantity`, `Sideboard` and `Name` attributes is an entry; the card
// number and name are both the `Name`.
#pragma once

#include "engine/xml_card_reader.h"

namespace sormel {

class DekDeckReader final : public XmlCardReader {
public:
    // Parses the whole document (UTF-8) at once; throws DeckFormatError
    // with the line the parser stopped at when it is not well-formed, or
    // when a card's quantity is not a whole number.
    DekDeckReader(std::string_view text, bool includeSidePart);
};

}  // namespace sormel
