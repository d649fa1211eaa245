// Deck types: a usage table of its own for each type (its own blank row and
// first names), fed from the run's counted entries in the same pass, with
// figures of its own (per-card figures, the average deck) that see the
// type table's rows.
//
// A type's table is made when its first deck is read. When the caller asks
// for it, a type is finished as soon as its last deck has been read, and
// handed over to be turned into what the report shows of it: a run of many
// types read one after the other then holds one type's table at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/average_deck.h"
#include "analysis/card_analysis.h"
#include "analysis/card_report.h"
#include "engine/deck_observer.h"
#include "engine/file_types.h"
#include "engine/usage_table.h"

namespace sormel {

struct DeckTypeTally {
    std::string name;
    std::int64_t decks = 0;  // files of this type read so far
    // Made with the type's first deck (or when a type without decks is
    // reported); null again once released.
    std::unique_ptr<UsageTable> table;
    // What is gathered for the type beside its table, when asked for; both
    // are told of the type's decks and entries, in this order.
    std::unique_ptr<CardAnalysis> analysis;
    std::unique_ptr<AverageDeckBuilder> average;
    std::string failure;  // a count that stopped being a number, with its card

    // Once the type is finished early (see DeckTypeSplitter::finishEachType):
    bool finished = false;
    std::exception_ptr finishError;  // finishing the table failed: finish() throws it
    std::optional<CardReport> report;  // what the report shows of the type, when made
    std::exception_ptr reportError;    // making it failed: asking for the report throws it

    // The table, made pristine if the type has none yet.
    UsageTable& tableOrNew(bool separateKeys);
    // Lets go of the table and what was gathered beside it.
    void release();
};

class DeckTypeSplitter : public DeckObserver {
public:
    // `typeOfFile` gives each file's index into `typeNames`.
    DeckTypeSplitter(FileTypes typeOfFile, const std::vector<std::string>& typeNames,
                     bool mergeByName);

    // Finishes each type's table for `choice` as soon as a deck is started
    // after the type's last file, or else at finish(), and then hands the
    // type to `finished` (unless its table failed). A type is handed over
    // once; `finished` must not throw.
    void finishEachType(SortChoice choice, std::function<void(DeckTypeTally&)> finished);

    void deckStarted(std::size_t index) override;
    void entryCounted(const CountedEntry& counted) override;
    void deckFinished(std::size_t index) override;

    std::vector<std::unique_ptr<DeckTypeTally>>& types() { return types_; }
    const std::vector<std::unique_ptr<DeckTypeTally>>& types() const { return types_; }

    // Rates, keys and order of every type's table, each over its own number
    // of decks. Throws CardError for a count out of range, naming the card
    // (the first such type's, in the types' order).
    void finish(SortChoice choice);

    // Leaves out the types no deck was of.
    void dropEmptyTypes();

private:
    void finishType(DeckTypeTally& type, SortChoice choice);
    // The current type's row for the run's row `row` (its key), made if new.
    std::size_t rowInType(const CountedEntry& counted, UsageTable& table);

    const FileTypes typeOfFile_;
    const bool mergeByName_;
    std::vector<std::unique_ptr<DeckTypeTally>> types_;
    std::vector<std::size_t> lastFile_;  // by type: its last file's index
    DeckTypeTally* current_ = nullptr;
    std::uint32_t currentType_ = 0;
    SortChoice choice_ = SortChoice::ByDecks;
    std::function<void(DeckTypeTally&)> finished_;  // set by finishEachType
    // By row of the run's table: the current type's row (handle + 1) for the
    // same card, once looked up since the current type's decks began; 0
    // for none. A type's decks read one after the other look a card up once.
    std::vector<std::uint32_t> rowInType_;
    std::vector<std::size_t> mappedRows_;  // the run's rows set in rowInType_
};

}  // namespace sormel
