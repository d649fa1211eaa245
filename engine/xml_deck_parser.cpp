#include "engine/xml_deck_parser.h"

#include <pugixml.hpp>

#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "engine/deck_entry.h"
#include "engine/list_syntax.h"
#include "engine/xml_parse_state.h"
#include "engine/xml_references.h"

namespace sormel {
namespace {

// Blanks before the document (spaces, tabs, line breaks, 「　」): the
// format is told with them skipped, and the parser refuses any text before
// an XML declaration. Gives how many bytes and how many lines they take.
std::pair<std::size_t, std::size_t> leadingBlanks(std::string_view text) {
    std::size_t i = 0, lines = 0;
    for (;;) {
        if (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
            ++i;
        } else if (i < text.size() && (text[i] == '\n' || text[i] == '\r')) {
            // CR LF, CR and LF each end one line.
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++i;
            ++lines;
        } else if (text.substr(i).starts_with("\xE3\x80\x80")) {
            i += 3;
        } else {
            return {i, lines};
        }
    }
}

// The reason a document the tree parser refused is not well-formed, in the
// words other XML tools use.
const char* parseError(const pugi::xml_parse_result& result, std::size_t textSize) {
    switch (result.status) {
        case pugi::status_out_of_memory: throw std::bad_alloc();
        case pugi::status_end_element_mismatch:
            // An element left open at the end is told at the text's last
            // byte, which the parser keeps for its own end mark.
            return static_cast<std::size_t>(result.offset) + 1 >= textSize ? "no element found" : "mismatched tag";
        case pugi::status_no_document_element: return "no element found";
        default: return "not well-formed (invalid token)";
    }
}

// Where text that is not one of XML's blanks starts, or npos.
std::size_t firstNonBlank(std::string_view text) { return text.find_first_not_of(" \t\r\n"); }

constexpr unsigned kParseOptions = pugi::parse_minimal | pugi::parse_fragment | pugi::parse_cdata | pugi::parse_declaration |
                                   pugi::parse_wconv_attribute | pugi::parse_eol;

}  // namespace

std::size_t XmlDeckParser::line() const { return state_->line(); }

void XmlDeckParser::fail(const std::string& message) {
    if (!state_->error.empty()) return;
    state_->error = message;
    state_->errorLine = line();
}

const char* XmlDeckParser::attribute(XmlAttributes attributes, std::string_view name) {
    for (const XmlAttribute& a : attributes) {
        if (a.name == name) return a.value;
    }
    return nullptr;
}

void XmlDeckParser::parse(std::string_view text, XmlReading reading) {
    const auto [skippedBytes, skippedLines] = leadingBlanks(text);
    text.remove_prefix(skippedBytes);
    // The text is UTF-8 whatever the declaration says: it was decoded
    // before it got here. Both readings write into their copy, which has
    // zeros after it for the values' eight-byte scans.
    constexpr std::size_t kPadding = 8;
    const std::unique_ptr<char[]> copy(new char[text.size() + kPadding]);
    char* const buffer = copy.get();
    const auto fresh = [&] {
        std::memcpy(buffer, text.data(), text.size());
        std::memset(buffer + text.size(), 0, kPadding);
    };
    fresh();
    State state{text, buffer, skippedLines, 0, 0, 0, {}, 0, {}, 0};
    state_ = &state;
    struct Detach {
        XmlDeckParser* parser;
        ~Detach() { parser->state_ = nullptr; }
    } detach{this};
    if (reading == XmlReading::Quick && !readsText() && canRestart()) {
        if (scanPlain(buffer)) return;
        // Not plain, or refused: the tree says how, from the start.
        restart();
        fresh();
        state = State{text, buffer, skippedLines, 0, 0, 0, {}, 0, std::move(state.attributes), 0};
    }
    parseTree(buffer);
}

void XmlDeckParser::parseTree(char* const buffer) {
    State& state = *state_;
    const std::string_view text = state.text;
    const auto stop = [&](const char* reason, std::size_t offset) {
        throw DeckFormatError(std::string("XML として読めません: ") + reason, state.lineAt(offset));
    };
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer_inplace(
        buffer, text.size(), kParseOptions | (readsText() ? pugi::parse_ws_pcdata : 0u), pugi::encoding_utf8);
    if (!result) {
        const char* reason = parseError(result, text.size());
        stop(reason, std::strcmp(reason, "no element found") == 0 ? text.size() : static_cast<std::size_t>(result.offset));
    }
    // One root element, with nothing but blanks, comments, processing
    // instructions and the declaration at the start beside it.
    pugi::xml_node root;
    for (const pugi::xml_node top : document.children()) {
        if (top.type() == pugi::node_declaration) {
            // `<?xml …?>` is allowed at the very start only.
            if (state.offsetOf(top.name()) != 2) {
                stop("XML or text declaration not at start of entity", state.offsetOf(top.name()) - 2);
            }
        } else if (top.type() == pugi::node_element) {
            if (root) stop("junk after document element", state.offsetOf(top.name()));
            root = top;
        } else if (const std::size_t junk = firstNonBlank(top.value()); junk != std::string_view::npos) {
            stop(root ? "junk after document element" : "syntax error", state.offsetOf(top.value()) + junk);
        }
    }
    if (!root) stop("no element found", text.size());
    walk(root);
    if (!state.error.empty()) throw DeckFormatError(state.error, state.errorLine);
}

void XmlDeckParser::walk(const pugi::xml_node& root) {
    State& s = *state_;
    const auto stop = [&](const char* reason, std::size_t offset) {
        throw DeckFormatError(std::string("XML として読めません: ") + reason, s.lineAt(offset));
    };
    // Checks the text of a value the parser left in the copy and replaces
    // its references: the copy is the program's own buffer, so it may be
    // written.
    const auto valueText = [&](const char* value, bool inAttribute) {
        char* text = const_cast<char*>(value);
        std::size_t length = 0;
        bool references = false;
        // One pass finds the value's end and what in it needs a look.
        for (std::size_t at = markupOrControlAt(text);; at += 1 + markupOrControlAt(text + at + 1)) {
            // Control characters XML allows nowhere (the parser made the
            // blanks of a value spaces), and a `<` in a value.
            const char c = text[at];
            if (c == '\0') {
                length = at;
                break;
            }
            const auto byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || (c == '<' && inAttribute)) {
                stop("not well-formed (invalid token)", s.offsetOf(value) + at);
            }
            references = references || c == '&';
        }
        if (!references) return std::string_view(text, length);
        const XmlReferenceResult replaced = replaceXmlReferences(text, length);
        if (replaced.error != nullptr) stop(replaced.error, s.offsetOf(value) + replaced.errorOffset);
        text[replaced.length] = '\0';
        return std::string_view(text, replaced.length);
    };
    // Element by element in document order, without recursion: a document
    // nested deep does not use up the stack.
    pugi::xml_node node = root;
    while (node) {
        if (node.type() == pugi::node_element) {
            s.offset = s.offsetOf(node.name());
            s.attributes.clear();
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
                const XmlAttribute attribute{a.name(), a.value()};
                for (const XmlAttribute& before : s.attributes) {
                    if (before.name == attribute.name) stop("duplicate attribute", s.offset);
                }
                valueText(attribute.value, true);
                s.attributes.push_back(attribute);
            }
            if (s.error.empty()) startElement(node.name(), s.attributes);
        } else if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            s.offset = s.offsetOf(node.value());
            const std::string_view text =
                node.type() == pugi::node_pcdata ? valueText(node.value(), false) : std::string_view(node.value());
            if (s.error.empty() && readsText()) characters(text);
        }
        if (!s.error.empty()) return;  // fail() stops the parse
        if (node.type() == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        // The node is done: so is every element it ends the last child of.
        for (;;) {
            if (node.type() == pugi::node_element) endElement(node.name());
            if (node == root) return;
            if (const pugi::xml_node next = node.next_sibling()) {
                node = next;
                break;
            }
            node = node.parent();
        }
    }
}

std::optional<WholeCount> parseXmlCount(std::string_view text) { return parseWholeCount(trimBlanks(text)); }

}  // namespace sormel
