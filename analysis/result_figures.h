// How the decks that hold a card (or are of a type) did, beside how many
// decks hold it: their win rate with its 95 % interval, the win rate of the
// other decks, and their part in the top cut. Rates are rounded to
// hundredths once, here, from the exact fractions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/deck_results.h"

namespace sormel {

// The largest place that can end the top cut.
inline constexpr int kMaxTop = 1000;

// Sums of the results of a set of decks with a result.
struct ResultSums {
    std::int64_t decks = 0;
    std::int64_t wins = 0;
    std::int64_t losses = 0;
    std::int64_t draws = 0;
    std::int64_t placed = 0;  // decks with a place
    std::int64_t top = 0;     // decks with a place within the top cut

    void add(const ResultSums& other) {
        decks += other.decks;
        wins += other.wins;
        losses += other.losses;
        draws += other.draws;
        placed += other.placed;
        top += other.top;
    }
    // The decks of this set that are not in `part`, a part of it.
    ResultSums without(const ResultSums& part) const;
};

// One deck's result as sums, for a top cut of places 1 to `top`.
ResultSums deckSums(const DeckResult& result, std::int64_t top);

// A win rate and its 95 % Wilson score interval, in hundredths of a percent.
struct WinRate {
    std::int64_t rate = 0;
    std::int64_t low = 0;
    std::int64_t high = 0;
};

// (wins + draws ÷ 2) ÷ games; nothing without games.
std::optional<WinRate> winRateOf(const ResultSums& sums);

struct ResultFigures {
    std::int64_t resultDecks = 0;  // decks with a result that hold the card
    // Hundredths of a percent; empty without games.
    std::optional<std::int64_t> winRate{};
    std::optional<std::int64_t> winRateLow{};
    std::optional<std::int64_t> winRateHigh{};
    std::optional<std::int64_t> winRateWithout{};  // of the decks with a result that do not hold it
    std::int64_t topDecks = 0;
    // The share of the top cut, in hundredths of a percent; empty for an
    // empty top cut.
    std::optional<std::int64_t> topAdoption{};
    // The share of the top cut over the share of the decks with a place,
    // in hundredths; empty where either share's divisor is 0.
    std::optional<std::int64_t> conversion{};
    bool smallSample = false;  // fewer decks than the run takes to trust the figures
};

// The figures of the decks `holding` among `all` the decks with a result;
// small below `minDecks` decks.
ResultFigures resultFigures(const ResultSums& holding, const ResultSums& all, std::int64_t minDecks);

// What a report says of the results it was made with.
struct ResultsSummary {
    std::int64_t decksWithResult = 0;
    std::int64_t decksWithPlace = 0;
    std::int64_t top = 8;
    std::int64_t minDecks = 10;
    std::string file{};        // the results file, as given; empty for none
    std::string placePattern{};  // the pattern places are read from names with; empty for none
};

}  // namespace sormel
