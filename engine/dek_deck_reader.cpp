#include "engine/dek_deck_reader.h"

#include <expat.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>

#include "engine/list_syntax.h"
#include "engine/numeric_text.h"
#include "engine/card_error.h"
#include "engine/visible_text.h"

namespace sormel {
namespace {

struct ParseState {
    XML_Parser parser;
    std::vector<DekDeckReader::Card>* cards;
    std::string error;  // the first problem found in a Cards element
    std::size_t errorLine = 0;
    std::size_t skippedLines = 0;  // blank lines before the document, which the parser does not see

    std::size_t line() const { return static_cast<std::size_t>(XML_GetCurrentLineNumber(parser)) + skippedLines; }
};

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

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A quantity: ASCII digits, blanks around them allowed. Nullopt-like
// results are reported by the caller.
bool parseQuantity(std::string_view text, double& quantity, bool& tooLarge) {
    text = trimBlanks(text);
    if (text.empty()) return false;
    std::uint64_t value = 0;
    tooLarge = false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        if (!tooLarge) value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) tooLarge = true;
    }
    quantity = static_cast<double>(value);
    return true;
}

void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto& state = *static_cast<ParseState*>(data);
    if (std::strcmp(name, "Cards") != 0 || !state.error.empty()) return;
    const char* quantity = nullptr;
    const char* sideboard = nullptr;
    const char* cardName = nullptr;
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
        if (std::strcmp(a[0], "Quantity") == 0) quantity = a[1];
        if (std::strcmp(a[0], "Sideboard") == 0) sideboard = a[1];
        if (std::strcmp(a[0], "Name") == 0) cardName = a[1];
    }
    const std::size_t line = state.line();
    auto fail = [&](const std::string& message) {
        state.error = message;
        state.errorLine = line;
        XML_StopParser(state.parser, XML_FALSE);
    };
    if (quantity == nullptr || cardName == nullptr) {
        fail("Cards 要素に Quantity か Name がありません。");
        return;
    }
    DekDeckReader::Card card{0, sideboard != nullptr && equalsIgnoringCase(trimBlanks(sideboard), "true"), cardName,
                             line};
    bool tooLarge = false;
    if (!parseQuantity(quantity, card.quantity, tooLarge)) {
        fail("枚数 (Quantity) が整数ではありません: " + visibleText(quantity));
        return;
    }
    if (tooLarge) {
        fail(CardError(OverflowError().what(), card.name).what());
        return;
    }
    state.cards->push_back(std::move(card));
}

}  // namespace

DekDeckReader::DekDeckReader(std::string_view text, bool includeSidePart) : includeSidePart_(includeSidePart) {
    // The text is UTF-8 whatever the declaration says: it was decoded
    // before it got here.
    const std::unique_ptr<std::remove_pointer_t<XML_Parser>, void (*)(XML_Parser)> parser(XML_ParserCreate("UTF-8"),
                                                                                          &XML_ParserFree);
    if (!parser) throw std::bad_alloc();
    const auto [skippedBytes, skippedLines] = leadingBlanks(text);
    text.remove_prefix(skippedBytes);
    ParseState state{parser.get(), &cards_, {}, 0, skippedLines};
    XML_SetUserData(parser.get(), &state);
    XML_SetStartElementHandler(parser.get(), &startElement);
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
    if (!state.error.empty()) throw DeckFormatError(state.error, state.errorLine);
    if (status != XML_STATUS_OK) {
        throw DeckFormatError(std::string("XML として読めません: ") + XML_ErrorString(XML_GetErrorCode(parser.get())),
                              state.line());
    }
}

DeckStep DekDeckReader::next(DeckEntry& entry) {
    const Card& card = cards_[next_++];
    line_ = card.line;
    if (card.quantity == 0 || (card.sideboard && !includeSidePart_)) return DeckStep::Other;
    entry.copies = card.quantity;
    entry.cardNumber = card.name;
    entry.setCardName(card.name);
    entry.part = card.sideboard ? DeckPart::Side : DeckPart::Main;
    return DeckStep::Card;
}

}  // namespace sormel
