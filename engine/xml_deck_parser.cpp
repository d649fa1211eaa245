#include "engine/xml_deck_parser.h"

#include <expat.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "engine/deck_entry.h"
#include "engine/list_syntax.h"

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

}  // namespace

struct XmlDeckParser::State {
    XML_Parser parser;
    XmlDeckParser* owner;
    std::string error;  // the first problem the reader found
    std::size_t errorLine = 0;
    std::size_t skippedLines = 0;  // blank lines before the document, which the parser does not see
};

std::size_t XmlDeckParser::line() const {
    return static_cast<std::size_t>(XML_GetCurrentLineNumber(state_->parser)) + state_->skippedLines;
}

void XmlDeckParser::fail(const std::string& message) {
    if (!state_->error.empty()) return;
    state_->error = message;
    state_->errorLine = line();
    XML_StopParser(state_->parser, XML_FALSE);
}

const char* XmlDeckParser::attribute(const char** attributes, std::string_view name) {
    for (const char** a = attributes; *a != nullptr; a += 2) {
        if (name == a[0]) return a[1];
    }
    return nullptr;
}

void XmlDeckParser::parse(std::string_view text) {
    // The text is UTF-8 whatever the declaration says: it was decoded
    // before it got here.
    const std::unique_ptr<std::remove_pointer_t<XML_Parser>, void (*)(XML_Parser)> parser(XML_ParserCreate("UTF-8"),
                                                                                          &XML_ParserFree);
    if (!parser) throw std::bad_alloc();
    const auto [skippedBytes, skippedLines] = leadingBlanks(text);
    text.remove_prefix(skippedBytes);
    State state{parser.get(), this, {}, 0, skippedLines};
    state_ = &state;
    XML_SetUserData(parser.get(), &state);
    XML_SetElementHandler(
        parser.get(),
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            auto& s = *static_cast<State*>(data);
            if (s.error.empty()) s.owner->startElement(name, attributes);
        },
        [](void* data, const XML_Char* name) {
            auto& s = *static_cast<State*>(data);
            if (s.error.empty()) s.owner->endElement(name);
        });
    XML_SetCharacterDataHandler(parser.get(), [](void* data, const XML_Char* chars, int length) {
        auto& s = *static_cast<State*>(data);
        if (s.error.empty()) s.owner->characters(std::string_view(chars, static_cast<std::size_t>(length)));
    });
    // Entities stay inside the document: no external ones are read.
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    std::size_t offset = 0;
    XML_Status status = XML_STATUS_OK;
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    do {
        const std::size_t length = std::min(kChunk, text.size() - offset);
        const bool last = offset + length == text.size();
        status = XML_Parse(parser.get(), text.data() + offset, static_cast<int>(length), last ? XML_TRUE : XML_FALSE);
        offset += length;
    } while (status == XML_STATUS_OK && offset < text.size());
    const std::size_t stoppedAt = line();
    state_ = nullptr;
    if (!state.error.empty()) throw DeckFormatError(state.error, state.errorLine);
    if (status != XML_STATUS_OK) {
        throw DeckFormatError(std::string("XML として読めません: ") + XML_ErrorString(XML_GetErrorCode(parser.get())),
                              stoppedAt);
    }
}

std::optional<WholeCount> parseXmlCount(std::string_view text) { return parseWholeCount(trimBlanks(text)); }

}  // namespace sormel
