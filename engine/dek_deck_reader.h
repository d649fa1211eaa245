// Reading an MTGO .dek deck (XML): every `Cards` element with its
// `Quantity`, `Sideboard` and `Name` attributes is an entry; the card
// number and name are both the `Name`.
#pragma once

#include <string>
#include <vector>

#include "engine/deck_reader.h"

namespace sormel {

class DekDeckReader final : public DeckReader {
public:
    // Parses the whole document (UTF-8) at once; throws DeckFormatError
    // with the line the parser stopped at when it is not well-formed, or
    // when a card's quantity is not a whole number.
    DekDeckReader(std::string_view text, bool includeSidePart);

    bool atEnd() const override { return next_ >= cards_.size(); }
    DeckStep next(DeckEntry& entry) override;
    std::size_t lineNumber() const override { return line_; }
    std::string_view lineText() const override { return {}; }

    struct Card {
        double quantity;
        bool sideboard;
        std::string name;
        std::size_t line;
    };

private:
    std::vector<Card> cards_;
    const bool includeSidePart_;
    std::size_t next_ = 0;
    std::size_t line_ = 0;
};

}  // namespace sormel
