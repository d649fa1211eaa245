// What an XML deck parser hands out for a document, written down, for
// comparing the single pass with the tree parser (tests and the fuzzer).
#pragma once

#include <string>
#include <string_view>

#include "engine/deck_entry.h"
#include "engine/xml_deck_parser.h"

namespace sormel {

// Writes down what it is handed; an element named `bad` is refused, as a
// reader refuses a card without its count.
class XmlRecorder final : public XmlDeckParser {
public:
    std::string log;
    int restarts = 0;

private:
    void startElement(std::string_view name, XmlAttributes attributes) override {
        log += "<" + std::string(name) + "@" + std::to_string(line());
        for (const XmlAttribute& a : attributes) log += " " + std::string(a.name) + "=[" + a.value + "]";
        log += ">";
        if (name == "bad") fail("bad element");
    }
    void endElement(std::string_view name) override { log += "</" + std::string(name) + ">"; }
    bool canRestart() const override { return true; }
    void restart() override {
        log.clear();
        ++restarts;
    }
};

struct XmlRecording {
    std::string result;  // the log, or the refusal with its line
    int restarts = 0;
};

inline XmlRecording recordXml(std::string_view text, XmlReading reading) {
    XmlRecorder recorder;
    try {
        recorder.parse(text, reading);
        return {recorder.log, recorder.restarts};
    } catch (const DeckFormatError& e) {
        return {std::string("error: ") + e.what() + " @" + std::to_string(e.line()), recorder.restarts};
    }
}

}  // namespace sormel
