#include "analysis/main_parts.h"

namespace sormel {

void MainPartTally::startDeck() {
    for (const std::uint32_t row : touched_) copies_[row] = 0;
    touched_.clear();
    ++deck_;
}

void MainPartTally::add(const CountedEntry& counted) {
    if (counted.entry.part != DeckPart::Main) return;
    const auto row = static_cast<std::uint32_t>(counted.row);
    if (row >= copies_.size()) {
        copies_.resize(row + 1, 0);
        stamp_.resize(row + 1, 0);
    }
    if (stamp_[row] != deck_) {
        stamp_[row] = deck_;
        touched_.push_back(row);
    }
    copies_[row] += counted.entry.copies;
}

SparseDeck MainPartTally::deck() const {
    SparseDeck deck;
    for (const std::uint32_t row : touched_) {
        if (copies_[row] > 0) deck.emplace_back(row, copies_[row]);
    }
    return deck;
}

}  // namespace sormel
