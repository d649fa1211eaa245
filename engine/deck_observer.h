// Following a run deck by deck: what each counted card line added, for
// figures beyond the usage table (copies per deck, main and side, deck
// types), gathered in the same single pass.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/deck_entry.h"
#include "engine/text_decoding.h"

namespace sormel {

// One card line the run counted.
struct CountedEntry {
    std::size_t row;               // handle of the card's row in the run's table
    std::string_view key;          // what the table keys the card by, as UTF-8
    const DeckEntry& entry;        // copies, part, and the raw card name
    DeckEncoding encoding;         // of the entry's texts
    std::size_t line;              // 1-based line of the deck file
    std::string_view cardNumber;   // as UTF-8

    std::string cardName() const { return decodeField(entry.cardName(), encoding); }
};

class DeckObserver {
public:
    virtual ~DeckObserver() = default;
    // Deck `index` (0-based, in the list's order) is about to be read.
    virtual void deckStarted(std::size_t /*index*/) {}
    virtual void entryCounted(const CountedEntry& /*counted*/) {}
    // A card line of the side part of a run that leaves the side part out,
    // read for observers that look at it anyway (TallyOptions::readSidePart):
    // the card's key, as UTF-8, and its copies. Such a line counts nothing.
    virtual void sideEntryRead(std::string_view /*key*/, double /*copies*/) {}
    // A line that is neither a card line, a section or separator line,
    // nor blank (headers, comments, lines not understood), as UTF-8.
    virtual void lineSkipped(std::size_t /*index*/, std::size_t /*line*/, const std::string& /*text*/) {}
    // Deck `index` was read to its end (not called for a deck a cancel
    // or an error cut short).
    virtual void deckFinished(std::size_t /*index*/) {}
};

// Passes everything on to several observers, in the order added.
class DeckObservers : public DeckObserver {
public:
    void add(DeckObserver& observer) { observers_.push_back(&observer); }
    bool empty() const { return observers_.empty(); }

    void deckStarted(std::size_t index) override {
        for (DeckObserver* observer : observers_) observer->deckStarted(index);
    }
    void entryCounted(const CountedEntry& counted) override {
        for (DeckObserver* observer : observers_) observer->entryCounted(counted);
    }
    void sideEntryRead(std::string_view key, double copies) override {
        for (DeckObserver* observer : observers_) observer->sideEntryRead(key, copies);
    }
    void lineSkipped(std::size_t index, std::size_t line, const std::string& text) override {
        for (DeckObserver* observer : observers_) observer->lineSkipped(index, line, text);
    }
    void deckFinished(std::size_t index) override {
        for (DeckObserver* observer : observers_) observer->deckFinished(index);
    }

private:
    std::vector<DeckObserver*> observers_;
};

}  // namespace sormel
