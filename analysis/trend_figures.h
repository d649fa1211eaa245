// The figures of a run over several periods, as the reports carry them:
// each card's adoption period by period with its latest change, its trend
// and its status, and each deck type's share the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/comparison.h"

namespace sormel {

// One period of a run: its folder's name as shown, and its decks.
struct PeriodInfo {
    std::string name;
    std::int64_t decks = 0;
};

// One card in one period, as that period's own table shows it. A card the
// period does not have has counts 0, adoption 0 (empty when the period has
// no deck), and no average or rank.
struct PeriodCard {
    std::int32_t decks = 0;
    std::int32_t copies = 0;
    std::optional<std::int64_t> adoption;   // hundredths of a percent
    std::optional<std::int64_t> avgCopies;  // hundredths
    std::optional<std::size_t> rank;        // 1-based, among the period's cards
};

// Rates and their changes in hundredths (of a percent, of a point).
struct CardTrend {
    std::vector<PeriodCard> series;      // one per period, in order
    std::optional<std::int64_t> change;  // last period minus the one before
    std::optional<std::int64_t> slope;   // points per period
    CardStatus status = CardStatus::Kept;
};

struct PeriodShare {
    std::int64_t decks = 0;
    std::optional<std::int64_t> share;  // of the period's decks; empty when it has none
};

struct TypeTrend {
    std::vector<PeriodShare> series;
    std::optional<std::int64_t> change;
    std::optional<std::int64_t> slope;
};

}  // namespace sormel
