// Decks' main parts as sparse vectors of copies per row of the run's table,
// for comparing decks with one another (the nearest type, suggested types).
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/deck_observer.h"

namespace sormel {

// One deck's main part as (row, copies) pairs in the order the rows were
// first met, copies above 0 only (a card's lines add up; below 0 is 0).
using SparseDeck = std::vector<std::pair<std::uint32_t, double>>;

// Adds up one deck's main-part copies per row, deck after deck.
class MainPartTally {
public:
    void startDeck();
    void add(const CountedEntry& counted);
    SparseDeck deck() const;

private:
    std::vector<double> copies_;       // per row
    std::vector<std::uint32_t> stamp_;  // per row: the deck that last touched it
    std::vector<std::uint32_t> touched_;
    std::uint32_t deck_ = 0;
};

// Every deck's main part, in the order read.
class MainParts : public DeckObserver {
public:
    explicit MainParts(std::size_t decks) : decks_(decks) {}
    void deckStarted(std::size_t) override { tally_.startDeck(); }
    void entryCounted(const CountedEntry& counted) override { tally_.add(counted); }
    void deckFinished(std::size_t index) override { decks_.at(index) = tally_.deck(); }
    const std::vector<SparseDeck>& decks() const { return decks_; }

private:
    MainPartTally tally_;
    std::vector<SparseDeck> decks_;
};

}  // namespace sormel
