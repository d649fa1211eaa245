#include "engine/dek_deck_reader.h"

#include <string>

#include "engine/list_syntax.h"

namespace sormel {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

class DekParser final : public XmlCardCollector {
public:
    using XmlCardCollector::XmlCardCollector;

private:
    void startElement(std::string_view name, XmlAttributes attributes) override {
        if (name != "Cards") return;
        // One look at each attribute (no name comes twice).
        const char* quantity = nullptr;
        const char* sideboard = nullptr;
        const char* cardName = nullptr;
        for (const XmlAttribute& a : attributes) {
            if (a.name == "Quantity") {
                quantity = a.value;
            } else if (a.name == "Sideboard") {
                sideboard = a.value;
            } else if (a.name == "Name") {
                cardName = a.value;
            }
        }
        if (quantity == nullptr || cardName == nullptr) {
            fail("Cards 要素に Quantity か Name がありません。");
            return;
        }
        const bool side = sideboard != nullptr && equalsIgnoringCase(trimBlanks(sideboard), "true");
        addCard(quantity, "Quantity", side ? DeckPart::Side : DeckPart::Main, cardName);
    }
};

}  // namespace

DekDeckReader::DekDeckReader(std::string_view text, bool includeSidePart) : XmlCardReader(includeSidePart) {
    DekParser parser(cards_);
    parser.parse(text);
}

}  // namespace sormel
