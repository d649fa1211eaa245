#include "engine/list_deck_reader.h"

#include "engine/list_marks.h"
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
        if (parseListSection(trimmed) != ListSection::None || isSideCardLine(trimmed) || heroName(trimmed)) {
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
        counted_ = section != ListSection::NotCounted;
        part_ = section == ListSection::Side ? DeckPart::Side : DeckPart::Main;
        if (isUnknownHeading(trimmed)) {
            warning_ = "見出し " + std::string(trimmed) + " の下の行は数えません。";
            return DeckStep::Warning;
        }
        return DeckStep::Other;
    }
    if (!counted_) return DeckStep::Skipped;
    if (const std::optional<std::string_view> hero = heroName(trimmed)) {
        cardSeen_ = true;
        entry.copies = 1;
        entry.cardNumber = *hero;
        entry.setCardName(*hero);
        entry.part = DeckPart::Main;
        return DeckStep::Card;
    }
    DeckPart part = part_;
    std::optional<ListCardLine> card;
    if (const std::optional<std::string_view> rest = afterSideboardMark(trimmed)) {
        card = parseListCardLine(*rest);
        if (card) part = DeckPart::Side;
    }
    if (!card) card = parseListCardLine(trimmed);
    if (!card) return DeckStep::Skipped;
    const ListName name = splitListName(card->name);
    if (name.part == TaggedPart::NotCounted) return DeckStep::Skipped;
    if (name.part == TaggedPart::Side) part = DeckPart::Side;
    cardSeen_ = true;
    if (card->count.tooLarge) throw countTooLarge(std::string(name.cardNumber));
    if (part == DeckPart::Side && !includeSidePart_) return DeckStep::SideLeftOut;
    entry.copies = static_cast<double>(card->count.value);
    entry.cardNumber = name.cardNumber;
    entry.setCardName(name.cardName);
    entry.part = part;
    return DeckStep::Card;
}

}  // namespace sormel
