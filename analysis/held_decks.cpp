#include "analysis/held_decks.h"

#include "engine/text_decoding.h"

namespace sormel {

void HeldDecks::deckStarted(std::size_t index) { deckStarts_.at(index) = entries_.size(); }

void HeldDecks::entryCounted(const CountedEntry& counted) {
    // Lines naming a card alike share one Card; the name is decoded once.
    lookup_.assign(counted.key);
    lookup_ += '\0';
    lookup_ += counted.cardNumber;
    lookup_ += '\0';
    lookup_ += counted.entry.cardName();
    lookup_ += static_cast<char>(counted.encoding);
    auto found = cardIndex_.find(lookup_);
    if (found == cardIndex_.end()) {
        found = cardIndex_.emplace(lookup_, static_cast<std::uint32_t>(cards_.size())).first;
        cards_.push_back({std::string(counted.key), std::string(counted.cardNumber), counted.cardName()});
    }
    entries_.push_back({static_cast<std::uint32_t>(counted.row), found->second, counted.entry.copies, counted.line,
                        counted.entry.part});
}

void HeldDecks::deckFinished(std::size_t index) { deckStarts_.at(index + 1) = entries_.size(); }

void HeldDecks::playBack(DeckObserver& observer) {
    for (std::size_t index = 0; index + 1 < deckStarts_.size(); ++index) {
        observer.deckStarted(index);
        for (std::size_t at = deckStarts_[index]; at < deckStarts_[index + 1]; ++at) {
            const Entry& held = entries_[at];
            const Card& card = cards_[held.card];
            DeckEntry entry;
            entry.copies = held.copies;
            entry.cardNumber = card.number;
            entry.part = held.part;
            entry.setCardName(card.name);
            observer.entryCounted({held.row, card.key, entry, DeckEncoding::Utf8, held.line, card.number});
        }
        observer.deckFinished(index);
    }
    entries_ = {};
    cards_ = {};
    cardIndex_ = {};
}

}  // namespace sormel
