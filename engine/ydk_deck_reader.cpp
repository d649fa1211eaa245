#include "engine/ydk_deck_reader.h"

#include "engine/list_syntax.h"

namespace sormel {

DeckStep YdkDeckReader::next(DeckEntry& entry) {
    cursor_.next(line_);
    const std::string_view trimmed = trimBlanks(line_);
    if (trimmed.empty()) return DeckStep::Other;
    if (isSectionLine(trimmed)) {
        part_ = trimmed == "!side" ? DeckPart::Side : DeckPart::Main;
        return DeckStep::Other;
    }
    for (const char c : trimmed) {
        if (c < '0' || c > '9') return DeckStep::Skipped;
    }
    if (part_ == DeckPart::Side && !includeSidePart_) return DeckStep::SideLeftOut;
    entry.copies = 1;
    entry.cardNumber = trimmed;
    entry.setCardName(trimmed);
    entry.part = part_;
    return DeckStep::Card;
}

}  // namespace sormel
