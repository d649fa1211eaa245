// Per-card figures beyond the usage table, gathered while a run reads the
// decks: how many decks play a card in the main and in the side part and
// with how many copies, and how the copies per deck split between 1 and the
// copy limit.
//
// Memory per card is a few counters; per deck only the cards met in that
// deck are remembered, until the deck ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/deck_observer.h"

namespace sormel {

// The largest copy limit a split can have.
inline constexpr int kMaxCopyLimit = 99;

// What was gathered for one card. Sums are rounded to 15 significant
// digits as the table's copies are; they are narrowed when reported.
struct CardParts {
    std::int64_t mainDecks = 0;
    double mainCopies = 0;
    std::int64_t sideDecks = 0;
    double sideCopies = 0;
    // Decks by their copies of the card: [0, L) hold 1..L copies, [L] more
    // than L, [L + 1] zero or less.
    std::vector<std::int64_t> split;
};

class CardAnalysis : public DeckObserver {
public:
    // Throws std::invalid_argument for a copy limit outside 1..99.
    explicit CardAnalysis(int copyLimit = 3);

    int copyLimit() const { return copyLimit_; }

    void deckStarted(std::size_t index) override;
    void entryCounted(const CountedEntry& counted) override;
    void deckFinished(std::size_t index) override;

    // The figures of the table row `handle` (zero for a row no card line
    // reached). A deck a cancel cut short counts as read so far, as it
    // does in the table.
    CardParts partsOf(std::size_t handle) const;

    // Index in CardParts::split for a deck holding `copies` of a card.
    static std::size_t splitIndex(double copies, int copyLimit);

private:
    struct Card {
        double mainCopies = 0;
        double sideCopies = 0;
        double deckCopies = 0;  // in the current deck
        std::int64_t mainDecks = 0;
        std::int64_t sideDecks = 0;
        // Serial numbers of the last deck the card was met in, overall and
        // in each part; 0 for none.
        std::size_t lastDeck = 0;
        std::size_t lastMainDeck = 0;
        std::size_t lastSideDeck = 0;
    };

    // Puts every card of the current deck into its split bucket.
    void closeDeck();
    std::size_t splitWidth() const { return static_cast<std::size_t>(copyLimit_) + 2; }

    const int copyLimit_;
    std::size_t deck_ = 1;  // serial number of the current deck
    std::vector<Card> cards_;                 // by row handle
    std::vector<std::int64_t> split_;         // splitWidth() buckets per row handle
    std::vector<std::size_t> cardsInDeck_;    // handles met in the current deck
};

}  // namespace sormel
