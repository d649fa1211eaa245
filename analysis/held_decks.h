// The counted entries of a run's decks, held compactly until the run is
// over and then played back deck by deck, in the order read: for figures
// that learn which group a deck belongs to only after the whole run (deck
// types named by rules and the nearest type).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/deck_observer.h"

namespace sormel {

class HeldDecks : public DeckObserver {
public:
    explicit HeldDecks(std::size_t decks) : deckStarts_(decks + 1, 0) {}

    void deckStarted(std::size_t index) override;
    void entryCounted(const CountedEntry& counted) override;
    void deckFinished(std::size_t index) override;

    // Tells `observer` of every deck and its entries again, as the run did
    // (the entries' texts as UTF-8), then lets go of them.
    void playBack(DeckObserver& observer);

private:
    // A card as a line named it: the row's key, the number and the name.
    struct Card {
        std::string key, number, name;
    };
    struct Entry {
        std::uint32_t row;
        std::uint32_t card;  // index into cards_
        double copies;
        std::size_t line;
        DeckPart part;
    };
    std::vector<std::size_t> deckStarts_;  // per deck, its first entry; one past the last at the end
    std::vector<Entry> entries_;
    std::vector<Card> cards_;
    std::unordered_map<std::string, std::uint32_t> cardIndex_;
    std::string lookup_;
};

}  // namespace sormel
