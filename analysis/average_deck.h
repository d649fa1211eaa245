// The average deck of a set of decks, by counting the n-th copy: the deck
// of the median size whose every slot goes to the (card, n) pair the most
// decks hold at least n copies of.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <optional>
#include <string>
#include <vector>

#include "engine/deck_observer.h"
#include "engine/usage_table.h"

namespace sormel {

struct AverageDeckCard {
    std::size_t row;  // handle in the table the builder was fed with
    std::int64_t copies;
};

struct AverageDeck {
    std::vector<AverageDeckCard> main;  // in the table's display order
    std::optional<std::vector<AverageDeckCard>> side;  // empty when the side part was not read
};

// Follows a run (or a deck type's share of it) and builds the average deck
// at the end. Each deck's copies of a card are summed per part as the
// table sums them, then narrowed to a whole number, halves to even; copies
// of zero or less count nothing. Memory: per card one count of decks for
// every distinct number of copies met, and one total per deck.
class AverageDeckBuilder : public DeckObserver {
public:
    explicit AverageDeckBuilder(bool sideCounted) : sideCounted_(sideCounted) {}

    void deckStarted(std::size_t index) override;
    void entryCounted(const CountedEntry& counted) override;
    void deckFinished(std::size_t index) override;

    // The average deck over every deck finished so far; `table` is the one
    // whose rows the entries named (for the card numbers and the order).
    AverageDeck build(const UsageTable& table) const;

private:
    struct PartVotes {
        // Decks with exactly 1, 2, 3 or 4 copies, nearly every count met;
        // (copies, decks with exactly that many) for larger counts, by
        // copies: a card meets few of them, so a small sorted array beats
        // a tree.
        std::array<std::int64_t, 4> decksWithFew{};
        std::vector<std::pair<std::int64_t, std::int64_t>> decksWithMore;
        std::int64_t totalCopies = 0;

        void count(std::int64_t copies);
        // (copies, decks) for every count met, by copies.
        template <typename Visit>
        void forEachCount(Visit visit) const {
            for (std::size_t few = 0; few < decksWithFew.size(); ++few) {
                if (decksWithFew[few] > 0) visit(static_cast<std::int64_t>(few) + 1, decksWithFew[few]);
            }
            for (const auto& [copies, decks] : decksWithMore) visit(copies, decks);
        }
    };
    struct Part {
        std::vector<PartVotes> votes;          // by row
        std::vector<std::int64_t> deckTotals;  // one per deck
    };
    std::vector<AverageDeckCard> buildPart(const UsageTable& table, const Part& part) const;
    void finishPart(Part& part, std::vector<double>& sums);

    const bool sideCounted_;
    Part main_, side_;
    // The deck being read: its sums per row, and the rows it touched.
    std::vector<double> mainSums_, sideSums_;
    std::vector<std::size_t> touched_;
    std::vector<bool> isTouched_;
};

}  // namespace sormel
