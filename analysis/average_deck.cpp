#include "analysis/average_deck.h"

#include <algorithm>
#include <cmath>

#include "engine/numeric_text.h"

namespace sormel {
namespace {

// A deck's copies of a card as a whole number: halves to even, and kept
// within a range where totals cannot overflow.
std::int64_t wholeCopies(double sum) {
    if (!std::isfinite(sum)) return sum > 0 ? std::int64_t{1} << 40 : 0;
    const double rounded = std::nearbyint(sum);
    if (rounded <= 0) return 0;
    return rounded >= 1099511627776.0 ? std::int64_t{1} << 40 : static_cast<std::int64_t>(rounded);
}

// The lower middle of the values.
std::int64_t lowerMedian(std::vector<std::int64_t> values) {
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>((values.size() - 1) / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

}  // namespace

void AverageDeckBuilder::deckStarted(std::size_t) {
    for (const std::size_t row : touched_) {
        mainSums_[row] = 0;
        sideSums_[row] = 0;
        isTouched_[row] = false;
    }
    touched_.clear();
}

void AverageDeckBuilder::entryCounted(const CountedEntry& counted) {
    const std::size_t row = counted.row;
    if (row >= isTouched_.size()) {
        const std::size_t size = std::max(row + 1, isTouched_.size() * 2);
        mainSums_.resize(size, 0);
        sideSums_.resize(size, 0);
        isTouched_.resize(size, false);
    }
    if (!isTouched_[row]) {
        isTouched_[row] = true;
        touched_.push_back(row);
    }
    double& sum = counted.entry.part == DeckPart::Side ? sideSums_[row] : mainSums_[row];
    sum = roundToNumberTextPrecision(sum + counted.entry.copies);
}

void AverageDeckBuilder::PartVotes::count(std::int64_t copies) {
    totalCopies += copies;
    if (copies <= static_cast<std::int64_t>(decksWithFew.size())) {
        ++decksWithFew[static_cast<std::size_t>(copies - 1)];
        return;
    }
    const auto at = std::lower_bound(decksWithMore.begin(), decksWithMore.end(), copies,
                                     [](const auto& count, std::int64_t value) { return count.first < value; });
    if (at != decksWithMore.end() && at->first == copies) {
        ++at->second;
    } else {
        decksWithMore.insert(at, {copies, 1});
    }
}

void AverageDeckBuilder::finishPart(Part& part, std::vector<double>& sums) {
    std::int64_t total = 0;
    for (const std::size_t row : touched_) {
        const std::int64_t copies = wholeCopies(sums[row]);
        if (copies <= 0) continue;
        if (row >= part.votes.size()) part.votes.resize(std::max(row + 1, part.votes.size() * 2));
        part.votes[row].count(copies);
        total += copies;
    }
    part.deckTotals.push_back(total);
}

void AverageDeckBuilder::deckFinished(std::size_t) {
    finishPart(main_, mainSums_);
    if (sideCounted_) finishPart(side_, sideSums_);
}

std::vector<AverageDeckCard> AverageDeckBuilder::buildPart(const UsageTable& table, const Part& part) const {
    // votes(card, k), the decks with at least k copies, is constant for k
    // between two neighbouring copy counts met: such a run of pairs sorts
    // together, so whole runs are ordered and taken, not single pairs.
    struct Run {
        std::int64_t votes;
        std::int64_t totalCopies;
        std::size_t row;
        std::int64_t firstK, lastK;
    };
    std::vector<Run> runs;
    for (std::size_t row = 0; row < part.votes.size(); ++row) {
        const PartVotes& votes = part.votes[row];
        std::int64_t atLeast = 0;
        votes.forEachCount([&](std::int64_t, std::int64_t decks) { atLeast += decks; });
        std::int64_t previous = 0;
        votes.forEachCount([&](std::int64_t copies, std::int64_t decks) {
            runs.push_back({atLeast, votes.totalCopies, row, previous + 1, copies});
            atLeast -= decks;
            previous = copies;
        });
    }
    std::sort(runs.begin(), runs.end(), [&table](const Run& a, const Run& b) {
        if (a.votes != b.votes) return a.votes > b.votes;
        if (a.totalCopies != b.totalCopies) return a.totalCopies > b.totalCopies;
        if (a.row != b.row) {
            const int byNumber = table.rowByHandle(a.row).cardNumber.compare(table.rowByHandle(b.row).cardNumber);
            if (byNumber != 0) return byNumber < 0;
            return a.row < b.row;
        }
        return a.firstK < b.firstK;
    });
    std::int64_t slots = lowerMedian(part.deckTotals);
    std::vector<std::int64_t> taken(part.votes.size(), 0);
    for (const Run& run : runs) {
        if (slots <= 0) break;
        const std::int64_t length = std::min(slots, run.lastK - run.firstK + 1);
        taken[run.row] = run.firstK + length - 1;
        slots -= length;
    }
    std::vector<AverageDeckCard> cards;
    for (std::size_t position = 0; position < table.rowCount(); ++position) {
        const std::size_t row = table.handleAt(position);
        if (row < taken.size() && taken[row] > 0) cards.push_back({row, taken[row]});
    }
    return cards;
}

AverageDeck AverageDeckBuilder::build(const UsageTable& table) const {
    AverageDeck deck;
    deck.main = buildPart(table, main_);
    if (sideCounted_) deck.side = buildPart(table, side_);
    return deck;
}

}  // namespace sormel
