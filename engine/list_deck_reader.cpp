#include "engine/list_deck_reader.h"

#include "engine/list_syntax.h"
#include "engine/numeric_text.h"
#include "engine/card_error.h"

namespace sormel {
namespace {

bool isSideCardLine(std::string_view trimmed) {
    const std::optional<std::string_view> rest = afterSideboardMark(trimmed);
    return rest && parseListCardLine(*rest);
}

}  // namespace

ListDeckReader::ListDeckReader(std::string_view text, bool includeSidePart)
    : cursor_(text), includeSidePart_(includeSidePart) {
    LineCursor scan(text);
    std::string_view line;
    while (scan.next(line)) {
        const std::string_view trimmed = trimBlanks(line);
        if (parseListSection(trimmed) != ListSection::None || isSideCardLine(trimmed)) {
            blankLineStartsSide_ = false;
            break;
        }
    }
}

DeckStep ListDeckReader::next(DeckEntry& entry) {
    cursor_.next(line_);
    const std::string_view trimmed = trimBlanks(line_);
    if (trimmed.empty()) {
        if (blankLineStartsSide_ && cardSeen_) {
            part_ = DeckPart::Side;
            blankLineStartsSide_ = false;
        }
        return DeckStep::Other;
    }
    const ListSection section = parseListSection(trimmed);
    if (section != ListSection::None) {
        part_ = section == ListSection::Side ? DeckPart::Side : DeckPart::Main;
        return DeckStep::Other;
    }
    DeckPart part = part_;
    std::optional<ListCardLine> card;
    if (const std::optional<std::string_view> rest = afterSideboardMark(trimmed)) {
        card = parseListCardLine(*rest);
        if (card) part = DeckPart::Side;
    }
    if (!card) card = parseListCardLine(trimmed);
    if (!card) return DeckStep::Skipped;
    cardSeen_ = true;
    if (card->tooLarge) throw CardError(OverflowError().what(), std::string(card->name));
    if (part == DeckPart::Side && !includeSidePart_) return DeckStep::Other;
    entry.copies = static_cast<double>(card->count);
    entry.cardNumber = card->name;
    entry.setCardName(withoutPrintingMark(card->name));
    entry.part = part;
    return DeckStep::Card;
}

}  // namespace sormel
