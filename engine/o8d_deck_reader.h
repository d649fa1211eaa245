// Reading an OCTGN .o8d deck (XML): every `<card qty="N" id="…">NAME</card>`
// in a `<section name="S">` is N copies of NAME (trimmed; card number and
// name); a section whose name holds "side" (any letter case) is the side
// part, every other the main part.
#pragma once

#include "engine/xml_card_reader.h"

namespace sormel {

class O8dDeckReader final : public XmlCardReader {
public:
    // Throws DeckFormatError naming the line when the document is not
    // well-formed or a card's qty is missing or not whole.
    O8dDeckReader(std::string_view text, bool includeSidePart);
};

}  // namespace sormel
