// The per-card report: every row of a finished table, in its display
// order, with the figures a report file shows. Counts are narrowed to
// integers and rates rounded to hundredths here, once, so that every file
// format writes the same values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/average_deck.h"
#include "analysis/boxed.h"
#include "analysis/card_analysis.h"
#include "analysis/comparison.h"
#include "analysis/trend_figures.h"
#include "analysis/result_figures.h"
#include "engine/usage_table.h"

namespace sormel {

struct CardFigures {
    std::string number{};
    std::string name{};
    std::int32_t decks = 0;
    std::int32_t copies = 0;
    // Rates in hundredths of a percent: adoption = decks ÷ N, usage =
    // copies ÷ (N × copy limit).
    std::int64_t adoption = 0;
    std::int64_t usage = 0;
    // Copies per deck that plays the card, in hundredths; empty when no
    // deck does.
    std::optional<std::int64_t> avgCopies{};
    std::int32_t mainDecks = 0;
    std::int32_t mainCopies = 0;
    // Empty when the side part was not counted.
    std::optional<std::int32_t> sideDecks{};
    std::optional<std::int32_t> sideCopies{};
    // Decks with 1..L copies, then more than L, then zero or less.
    std::vector<std::int64_t> split{};
    // Against a baseline, when there is one. A card gone since (消滅) comes
    // after the current cards, with every count 0 and no average.
    Boxed<CardChange> change{};
    // Over several periods, for a card of the overall rows.
    Boxed<CardTrend> trend{};
    // With deck results, for the report's cards over all decks.
    Boxed<ResultFigures> results{};
};

struct AverageDeckLine {
    std::string number;
    std::string name;
    std::int64_t copies = 0;
};

struct AverageDeckFigures {
    std::vector<AverageDeckLine> main;
    std::optional<std::vector<AverageDeckLine>> side;  // empty when the side part was not counted
};

struct CardReport {
    std::int64_t deckCount = 0;
    int copyLimit = 3;
    bool sideCounted = true;
    std::vector<CardFigures> cards{};
    std::optional<AverageDeckFigures> averageDeck{};  // when asked for
};

// The report of a run over `deckCount` decks that `analysis` followed.
// Throws CardError naming the card when a count (decks, copies, or the main
// or side copies) does not fit the integer range.
CardReport buildCardReport(const UsageTable& table, const CardAnalysis& analysis, std::int64_t deckCount,
                           bool sideCounted);

// Adds the comparison with `before` (the baseline's table) to every card,
// and the baseline's cards that are gone as 消滅 rows after them.
void addComparison(CardReport& report, const UsageTable& now, const UsageTable& before);

// The average deck's cards with their numbers and names from `table`.
AverageDeckFigures averageDeckFigures(const AverageDeck& deck, const UsageTable& table);

}  // namespace sormel
