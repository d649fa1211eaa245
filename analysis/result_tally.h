// Gathers, while a run reads the decks, the results of the decks that hold
// each card: a card is held by a deck as the table's decks column counts
// it (a counted line of the card in the deck, whatever its copies). Decks
// without a result cost one test each card line.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "analysis/deck_results.h"
#include "analysis/result_figures.h"
#include "engine/deck_observer.h"

namespace sormel {

class ResultTally : public DeckObserver {
public:
    // `results` are the run's decks' results; places 1 to `top` make the top cut.
    ResultTally(std::shared_ptr<const RunResults> results, std::int64_t top);

    void deckStarted(std::size_t index) override;
    void entryCounted(const CountedEntry& counted) override;

    // The decks with a result holding the card of table row `handle`.
    ResultSums heldBy(std::size_t handle) const;
    // Every deck with a result.
    const ResultSums& all() const { return all_; }
    // Deck `index`'s result as sums; nothing for a deck without one.
    const ResultSums* deck(std::size_t index) const;

private:
    struct Card {
        ResultSums sums;
        std::size_t lastDeck = 0;  // serial of the last deck it was added for; 0 for none
    };

    std::vector<ResultSums> decks_;   // by deck; decks == 0 for a deck without a result
    ResultSums all_;
    std::vector<Card> cards_;         // by row handle
    const ResultSums* current_ = nullptr;  // the result of the deck being read
    std::size_t serial_ = 0;
};

}  // namespace sormel
