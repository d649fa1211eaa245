#include "engine/cod_deck_reader.h"

#include <optional>
#include <string>

namespace sormel {
namespace {

class CodParser final : public XmlCardCollector {
public:
    using XmlCardCollector::XmlCardCollector;

private:
    void startElement(std::string_view name, XmlAttributes attributes) override {
        if (name == "zone") {
            const char* zone = attribute(attributes, "name");
            const std::string_view zoneName = zone != nullptr ? zone : "";
            part_ = zoneName == "main"   ? std::optional(DeckPart::Main)
                    : zoneName == "side" ? std::optional(DeckPart::Side)
                                         : std::nullopt;
            return;
        }
        if (name != "card" || !part_) return;
        const char* cardName = attribute(attributes, "name");
        addCard(attribute(attributes, "number"), "number", *part_, cardName != nullptr ? cardName : "");
    }
    void endElement(std::string_view name) override {
        if (name == "zone") part_.reset();
    }
    void restart() override {
        XmlCardCollector::restart();
        part_.reset();
    }

    std::optional<DeckPart> part_;  // inside a zone that counts
};

}  // namespace

CodDeckReader::CodDeckReader(std::string_view text, bool includeSidePart) : XmlCardReader(includeSidePart) {
    CodParser parser(cards_);
    parser.parse(text);
}

}  // namespace sormel
