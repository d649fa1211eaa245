// Deck types: a usage table of its own for each type (its own blank row and
// first names), fed from the run's counted entries in the same pass, with
// figures of its own (per-card figures, the average deck) that see the
// type table's rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/average_deck.h"
#include "analysis/card_analysis.h"
#include "engine/deck_observer.h"
#include "engine/usage_table.h"

namespace sormel {

struct DeckTypeTally {
    std::string name;
    std::int64_t decks = 0;  // files of this type read so far
    UsageTable table;
    // What is gathered for the type beside its table, when asked for; both
    // are told of the type's decks and entries, in this order.
    std::unique_ptr<CardAnalysis> analysis;
    std::unique_ptr<AverageDeckBuilder> average;
    std::string failure;  // a count that stopped being a number, with its card

    // Lets go of the table and what was gathered beside it.
    void release();
};

class DeckTypeSplitter : public DeckObserver {
public:
    // `typeOfFile` gives each file's index into `typeNames`.
    DeckTypeSplitter(std::vector<std::uint32_t> typeOfFile, const std::vector<std::string>& typeNames,
                     bool mergeByName);

    void deckStarted(std::size_t index) override;
    void entryCounted(const CountedEntry& counted) override;
    void deckFinished(std::size_t index) override;

    std::vector<std::unique_ptr<DeckTypeTally>>& types() { return types_; }
    const std::vector<std::unique_ptr<DeckTypeTally>>& types() const { return types_; }

    // Rates, keys and order of every type's table, each over its own number
    // of decks. Throws CardError for a count out of range, naming the card.
    void finish(SortChoice choice);

    // Leaves out the types no deck was of.
    void dropEmptyTypes();

private:
    const std::vector<std::uint32_t> typeOfFile_;
    const bool mergeByName_;
    std::vector<std::unique_ptr<DeckTypeTally>> types_;
    DeckTypeTally* current_ = nullptr;
};

}  // namespace sormel
