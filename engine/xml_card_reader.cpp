#include "engine/xml_card_reader.h"

#include "engine/card_error.h"
#include "engine/numeric_text.h"
#include "engine/visible_text.h"

namespace sormel {

DeckStep XmlCardReader::next(DeckEntry& entry) {
    const XmlCard& card = cards_[next_++];
    line_ = card.line;
    if (card.quantity == 0) return DeckStep::Other;
    if (card.part == DeckPart::Side && !includeSidePart_) return DeckStep::SideLeftOut;
    entry.copies = card.quantity;
    entry.cardNumber = card.name;
    entry.setCardName(card.name);
    entry.part = card.part;
    return DeckStep::Card;
}

void XmlCardCollector::addCard(const char* count, std::string_view countName, DeckPart part, std::string name) {
    if (count == nullptr) {
        fail("card 要素に " + std::string(countName) + " がありません。");
        return;
    }
    XmlCard card{0, part, std::move(name), line()};
    const std::optional<WholeCount> quantity = parseXmlCount(count);
    if (!quantity) {
        fail("枚数 (" + std::string(countName) + ") が整数ではありません: " + visibleText(count));
        return;
    }
    if (quantity->tooLarge) {
        fail(countTooLarge(card.name).what());
        return;
    }
    card.quantity = static_cast<double>(quantity->value);
    cards_.push_back(std::move(card));
}

}  // namespace sormel
