#include "engine/xml_card_reader.h"

#include "engine/card_error.h"
#include "engine/numeric_text.h"
#include "engine/visible_text.h"

namespace sormel {

DeckStep XmlCardReader::next(DeckEntry& entry) {
    const XmlCard& card = cards_.list[next_++];
    line_ = card.line;
    if (card.quantity == 0) return DeckStep::Other;
    if (card.part == DeckPart::Side && !includeSidePart_) return DeckStep::SideLeftOut;
    entry.copies = card.quantity;
    entry.cardNumber = cards_.nameOf(card);
    entry.setCardName(entry.cardNumber);
    entry.part = card.part;
    return DeckStep::Card;
}

void XmlCardCollector::addCard(const char* count, std::string_view countName, DeckPart part, std::string_view name) {
    if (count == nullptr) {
        fail("card 要素に " + std::string(countName) + " がありません。");
        return;
    }
    XmlCard card{0, part, 0, 0, line()};
    const std::optional<WholeCount> quantity = parseXmlCount(count);
    if (!quantity) {
        fail("枚数 (" + std::string(countName) + ") が整数ではありません: " + visibleText(count));
        return;
    }
    if (quantity->tooLarge) {
        fail(countTooLarge(std::string(name)).what());
        return;
    }
    card.quantity = static_cast<double>(quantity->value);
    if (cards_.list.empty()) {
        // Room for a deck of usual size at once, rather than growing to it.
        cards_.list.reserve(64);
        cards_.names.reserve(1024);
    }
    cards_.setName(card, name);
    cards_.list.push_back(card);
}

}  // namespace sormel
