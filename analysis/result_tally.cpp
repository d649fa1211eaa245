#include "analysis/result_tally.h"

namespace sormel {

ResultTally::ResultTally(std::shared_ptr<const RunResults> results, std::int64_t top) {
    decks_.resize(results->decks.size());
    for (std::size_t index = 0; index < decks_.size(); ++index) {
        if (!results->decks[index]) continue;
        decks_[index] = deckSums(*results->decks[index], top);
        all_.add(decks_[index]);
    }
}

void ResultTally::deckStarted(std::size_t index) {
    ++serial_;
    current_ = deck(index);
}

void ResultTally::entryCounted(const CountedEntry& counted) {
    if (current_ == nullptr) return;
    if (counted.row >= cards_.size()) cards_.resize(counted.row + 1);
    Card& card = cards_[counted.row];
    if (card.lastDeck == serial_) return;
    card.lastDeck = serial_;
    card.sums.add(*current_);
}

ResultSums ResultTally::heldBy(std::size_t handle) const {
    return handle < cards_.size() ? cards_[handle].sums : ResultSums{};
}

const ResultSums* ResultTally::deck(std::size_t index) const {
    return index < decks_.size() && decks_[index].decks > 0 ? &decks_[index] : nullptr;
}

}  // namespace sormel
