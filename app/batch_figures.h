// What the batch mode gathers beside the usage table while a run reads a
// folder (per-card figures, deck types, average decks), and the report
// data and files it makes of them afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/average_deck.h"
#include "analysis/card_analysis.h"
#include "analysis/deck_types.h"
#include "app/batch_mode.h"
#include "engine/deck_listing.h"
#include "engine/deck_observer.h"
#include "export/report_writer.h"

namespace sormel {

class RunFigures {
public:
    // `listing` must outlive the object. A baseline run gathers only what
    // a comparison needs: its tables.
    RunFigures(const BatchOptions& options, const TypedDeckFiles& listing, bool baseline);

    // To be handed to the run; told of everything it reads.
    DeckObserver* observer() { return observers_.empty() ? nullptr : &observers_; }

    // Finishes the deck types' tables (throws CardError for a count out of
    // range in one of them).
    void finish(SortChoice choice);

    // The report of the finished run whose table is `table`, compared with
    // `baseline` when given.
    ReportData report(const UsageTable& table, const RunFigures* baseline, const UsageTable* baselineTable,
                      const std::filesystem::path& folder, const std::filesystem::path* baselineFolder) const;

    // Average deck files: for the whole run, and per deck type by name.
    AverageDeckFigures averageDeck(const UsageTable& table) const;
    std::vector<std::pair<std::string, AverageDeckFigures>> typeAverageDecks() const;

private:
    const BatchOptions& options_;
    const TypedDeckFiles& listing_;
    DeckObservers observers_;
    std::unique_ptr<CardAnalysis> analysis_;
    std::unique_ptr<AverageDeckBuilder> average_;
    std::unique_ptr<DeckTypeSplitter> types_;
};

}  // namespace sormel
