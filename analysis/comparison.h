// Two periods side by side: each card of the current table against the
// same card (by the table's key) in a baseline table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/usage_table.h"

namespace sormel {

// Returned: back in the latest period after an absence (over several periods).
enum class CardStatus { Kept, New, Dropped, Returned };

// How a card changed since the baseline.
struct CardChange {
    CardStatus status = CardStatus::Kept;
    // Hundredths, as the tables show them rounded; a card absent on one
    // side has adoption 0 there, and no average copies or rank.
    std::int64_t adoptionBefore = 0;
    std::int64_t adoptionChange = 0;
    std::optional<std::int64_t> avgCopiesBefore;
    std::optional<std::int64_t> avgCopiesChange;
    std::optional<std::size_t> rank;  // 1-based position in each table's order
    std::optional<std::size_t> rankBefore;
};

struct CardComparison {
    std::size_t row = 0;  // handle in the current table, or in the baseline for a dropped card
    std::optional<CardChange> change;  // none for the blank row, which is no card
};

// The blank row (a run's decks without card lines, no card line counted in
// it) is left out on both sides: it has no change, is never gone, and takes
// no rank.
struct Comparison {
    std::vector<CardComparison> current;  // one per current row, in display order
    std::vector<CardComparison> dropped;  // baseline cards absent now, in the baseline's order
};

// Average copies per deck that counts the card, of the counts as shown:
// copies ÷ decks in hundredths; none for a row without decks.
std::optional<std::int64_t> averageCopies(const UsageRow& row);

Comparison compareTables(const UsageTable& now, const UsageTable& before);

}  // namespace sormel
