// What the readers of the XML formats share: the whole document is parsed
// at once into its cards, which are then handed out one at a time.
#pragma once

#include <string>
#include <vector>

#include "engine/deck_reader.h"
#include "engine/xml_deck_parser.h"

namespace sormel {

struct XmlCard {
    double quantity = 0;
    DeckPart part = DeckPart::Main;
    // The card number and the card name: where in XmlCards::names.
    std::size_t nameAt = 0;
    std::size_t nameSize = 0;
    std::size_t line = 0;
};

// A document's cards, their names kept together in one string rather than
// one string each.
struct XmlCards {
    std::vector<XmlCard> list;
    std::string names;

    std::string_view nameOf(const XmlCard& card) const { return std::string_view(names).substr(card.nameAt, card.nameSize); }
    void setName(XmlCard& card, std::string_view name) {
        card.nameAt = names.size();
        card.nameSize = name.size();
        names += name;
    }
};

class XmlCardReader : public DeckReader {
public:
    bool atEnd() const override { return next_ >= cards_.list.size(); }
    // A card of 0 copies, or of the side part left out, counts nothing.
    DeckStep next(DeckEntry& entry) override;
    std::size_t lineNumber() const override { return line_; }
    std::string_view lineText() const override { return {}; }

protected:
    explicit XmlCardReader(bool includeSidePart) : includeSidePart_(includeSidePart) {}
    XmlCards cards_;

private:
    const bool includeSidePart_;
    std::size_t next_ = 0;
    std::size_t line_ = 0;
};

// A parser that collects XmlCards, with the checks of a card's count every
// format shares.
class XmlCardCollector : public XmlDeckParser {
public:
    explicit XmlCardCollector(XmlCards& cards) : cards_(cards) {}

protected:
    bool canRestart() const override { return true; }
    void restart() override {
        cards_.list.clear();
        cards_.names.clear();
    }
    // Adds a card of `count` copies (its text; null when the attribute is
    // missing), or stops the parse naming `countName`.
    void addCard(const char* count, std::string_view countName, DeckPart part, std::string_view name);

    XmlCards& cards_;
};

}  // namespace sormel
