#include "analysis/card_analysis.h"

#include <stdexcept>
#include <string>

#include "engine/numeric_text.h"

namespace sormel {

CardAnalysis::CardAnalysis(int copyLimit) : copyLimit_(copyLimit) {
    if (copyLimit < 1 || copyLimit > kMaxCopyLimit) {
        throw std::invalid_argument("copy limit out of range: " + std::to_string(copyLimit));
    }
}

std::size_t CardAnalysis::splitIndex(double copies, int copyLimit) {
    // Most decks hold a whole number of copies up to the limit: that is its
    // own bucket, without rounding.
    if (copies >= 1 && copies <= copyLimit) {
        const auto whole = static_cast<int>(copies);
        if (whole == copies) return static_cast<std::size_t>(whole) - 1;
    }
    const auto over = static_cast<std::size_t>(copyLimit);
    const std::size_t other = over + 1;
    // A count beyond the integer range is still clearly above or below.
    if (outsideIntegerRange(copies)) return copies > 0 ? over : other;
    const std::int32_t whole = narrowToInteger(copies);
    if (whole <= 0) return other;
    if (whole > copyLimit) return over;
    return static_cast<std::size_t>(whole) - 1;
}

void CardAnalysis::deckStarted(std::size_t) {
    // A deck that ended without being finished still counted in the table.
    closeDeck();
    ++deck_;
}

void CardAnalysis::deckFinished(std::size_t) { closeDeck(); }

void CardAnalysis::closeDeck() {
    for (const std::size_t handle : cardsInDeck_) {
        ++split_[handle * splitWidth() + splitIndex(cards_[handle].deckCopies, copyLimit_)];
    }
    cardsInDeck_.clear();
}

void CardAnalysis::entryCounted(const CountedEntry& counted) {
    const std::size_t handle = counted.row;
    if (handle >= cards_.size()) {
        cards_.resize(handle + 1);
        split_.resize(cards_.size() * splitWidth(), 0);
    }
    Card& card = cards_[handle];
    const double copies = counted.entry.copies;
    if (card.lastDeck != deck_) {
        card.lastDeck = deck_;
        card.deckCopies = 0;
        cardsInDeck_.push_back(handle);
    }
    card.deckCopies = roundToNumberTextPrecision(card.deckCopies + copies);
    if (counted.entry.part == DeckPart::Main) {
        if (card.lastMainDeck != deck_) ++card.mainDecks;
        card.lastMainDeck = deck_;
        card.mainCopies = roundToNumberTextPrecision(card.mainCopies + copies);
    } else {
        if (card.lastSideDeck != deck_) ++card.sideDecks;
        card.lastSideDeck = deck_;
        card.sideCopies = roundToNumberTextPrecision(card.sideCopies + copies);
    }
}

CardParts CardAnalysis::partsOf(std::size_t handle) const {
    CardParts parts;
    parts.split.assign(splitWidth(), 0);
    if (handle >= cards_.size()) return parts;
    const Card& card = cards_[handle];
    parts.mainDecks = card.mainDecks;
    parts.mainCopies = card.mainCopies;
    parts.sideDecks = card.sideDecks;
    parts.sideCopies = card.sideCopies;
    const auto first = split_.begin() + static_cast<std::ptrdiff_t>(handle * splitWidth());
    parts.split.assign(first, first + static_cast<std::ptrdiff_t>(splitWidth()));
    if (!cardsInDeck_.empty() && card.lastDeck == deck_) ++parts.split[splitIndex(card.deckCopies, copyLimit_)];
    return parts;
}

}  // namespace sormel
