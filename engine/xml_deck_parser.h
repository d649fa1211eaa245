// Parsing a whole XML deck document (UTF-8), for the readers of the XML
// formats: each says what it does with the elements it meets, in document
// order. The document is parsed in place into a tree (pugixml) and then
// walked; no DTD or external entity is ever read, and the only entities are
// the five XML predefines. Most deck files are plain (elements, attributes
// and text, nothing else): those are read in one pass without the tree, to
// the same effect.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/whole_count.h"

namespace pugi {
class xml_node;
}

namespace sormel {

// An attribute of an element: its value is a null-terminated string with
// the references in it replaced.
struct XmlAttribute {
    std::string_view name;
    const char* value;
};
using XmlAttributes = std::span<const XmlAttribute>;

// How parse() reads a document: Quick tries the single pass first and
// leaves any document it does not take to the tree; Tree always builds the
// tree (the two are compared in the tests).
enum class XmlReading { Quick, Tree };

class XmlDeckParser {
public:
    virtual ~XmlDeckParser() = default;

    // Parses `text`, blanks before the document allowed; throws
    // DeckFormatError with the line the parser stopped at when the
    // document is not well-formed, or with the line and message of fail().
    void parse(std::string_view text, XmlReading reading = XmlReading::Quick);

protected:
    virtual void startElement(std::string_view name, XmlAttributes attributes) = 0;
    virtual void endElement(std::string_view /*name*/) {}
    virtual void characters(std::string_view /*text*/) {}
    // Whether characters() wants every piece of text, blanks between
    // elements included; when false it may be left uncalled.
    virtual bool readsText() const { return false; }
    // Whether restart() can make the parser forget everything it was handed:
    // only then is the single pass tried, as it may give up half-way.
    virtual bool canRestart() const { return false; }
    virtual void restart() {}

    // The 1-based line of the element (or text) being handed out; for
    // startElement() only when the single pass may be reading.
    std::size_t line() const;
    // Stops the parse; parse() throws `message` with the current line.
    void fail(const std::string& message);
    // The value of attribute `name`, or null.
    static const char* attribute(XmlAttributes attributes, std::string_view name);

private:
    // Hands out the elements and text of `root` in document order.
    void walk(const pugi::xml_node& root);
    // Parses the tree of the copy `buffer` of the document; throws as parse().
    void parseTree(char* buffer);
    // Reads the copy `buffer` of a plain document in one pass, handing out
    // what the tree walk would; false (having handed out part of it, or
    // nothing) when the document is not plain or fail() was called.
    bool scanPlain(char* buffer);

    struct State;
    State* state_ = nullptr;
};

// A count: ASCII digits, blanks around them allowed; empty when it is none.
std::optional<WholeCount> parseXmlCount(std::string_view text);

}  // namespace sormel
