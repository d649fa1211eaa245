#include "engine/o8d_deck_reader.h"

#include <string>

#include "engine/list_syntax.h"

namespace sormel {
namespace {

bool holdsSide(std::string_view name) {
    for (std::size_t i = 0; i + 4 <= name.size(); ++i) {
        bool match = true;
        for (std::size_t k = 0; k < 4 && match; ++k) {
            char c = name[i + k];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            match = c == "side"[k];
        }
        if (match) return true;
    }
    return false;
}

class O8dParser final : public XmlCardCollector {
public:
    using XmlCardCollector::XmlCardCollector;

private:
    void startElement(std::string_view name, XmlAttributes attributes) override {
        if (name == "section") {
            const char* section = attribute(attributes, "name");
            part_ = section != nullptr && holdsSide(section) ? DeckPart::Side : DeckPart::Main;
            inSection_ = true;
        } else if (name == "card" && inSection_) {
            // The name is the element's text, filled in at its end.
            const std::size_t before = cards_.list.size();
            addCard(attribute(attributes, "qty"), "qty", part_, {});
            inCard_ = cards_.list.size() > before;
            text_.clear();
        }
    }
    bool readsText() const override { return true; }
    void characters(std::string_view text) override {
        if (inCard_) text_ += text;
    }
    void endElement(std::string_view name) override {
        if (name == "section") inSection_ = false;
        if (name != "card" || !inCard_) return;
        inCard_ = false;
        cards_.setName(cards_.list.back(), trimBlanks(text_));
    }

    bool inSection_ = false;
    DeckPart part_ = DeckPart::Main;
    bool inCard_ = false;
    std::string text_;
};

}  // namespace

O8dDeckReader::O8dDeckReader(std::string_view text, bool includeSidePart) : XmlCardReader(includeSidePart) {
    O8dParser parser(cards_);
    parser.parse(text);
}

}  // namespace sormel
