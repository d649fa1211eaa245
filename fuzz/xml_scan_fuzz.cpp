// The single pass over plain XML documents against the tree parser: for
// any input both must hand out the same elements, attributes and lines, or
// refuse it with the same message on the same line.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/deck_entry.h"
#include "engine/xml_deck_parser.h"
#include "fuzz_support.h"

using namespace sormel;

namespace {

// Writes down what it is handed; an element named `bad` is refused.
class Recorder final : public XmlDeckParser {
public:
    std::string log;

private:
    void startElement(std::string_view name, XmlAttributes attributes) override {
        log += "<" + std::string(name) + "@" + std::to_string(line());
        for (const XmlAttribute& a : attributes) log += " " + std::string(a.name) + "=[" + a.value + "]";
        log += ">";
        if (name == "bad") fail("bad element");
    }
    void endElement(std::string_view name) override { log += "</" + std::string(name) + ">"; }
    bool canRestart() const override { return true; }
    void restart() override { log.clear(); }
};

std::string outcome(std::string_view text, XmlReading reading) {
    Recorder recorder;
    try {
        recorder.parse(text, reading);
        return recorder.log;
    } catch (const DeckFormatError& e) {
        return std::string("error: ") + e.what() + " @" + std::to_string(e.line());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string quick = outcome(text, XmlReading::Quick);
    const std::string tree = outcome(text, XmlReading::Tree);
    FUZZ_CHECK(quick == tree, "single pass: %s\ntree: %s", quick.c_str(), tree.c_str());
    return 0;
}
