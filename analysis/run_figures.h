// What a run gathers beside the usage table while it reads a folder
// (per-card figures, deck types, average decks), and the report data it
// makes of them afterwards. The batch mode and the analysis window both
// use it.
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
#include "analysis/report_data.h"
#include "engine/deck_listing.h"
#include "engine/deck_observer.h"
#include "engine/tally_run.h"

namespace sormel {

// What to gather, and how the run reads.
struct AnalysisOptions {
    bool includeSidePart = true;
    SortChoice sortChoice = SortChoice::ByDecks;
    bool mergeByName = false;
    int copyLimit = 3;
    bool byFolder = false;       // deck types from sub-folders
    bool cardFigures = true;     // the per-card report
    bool averageDeck = false;    // the average deck of all decks and of each type
};

class RunFigures {
public:
    // `listing` must outlive the object. A baseline run gathers only what
    // a comparison needs: its tables.
    RunFigures(const AnalysisOptions& options, const TypedDeckFiles& listing, bool baseline);

    // To be handed to the run; told of everything it reads.
    DeckObserver* observer() { return observers_.empty() ? nullptr : &observers_; }

    // How the run reads for these figures, with `observer` (these figures'
    // own, or one that passes everything on to them) told of every deck.
    TallyOptions tallyOptions(DeckObserver* observer) const;

    // Finishes the deck types' tables (throws CardError for a count out of
    // range in one of them).
    void finish(SortChoice choice);

    // The report of the finished run whose table is `table`, compared with
    // `baseline` (its figures and table, read from `baselineFolder`) when
    // given. The date is left for the caller.
    ReportData report(const UsageTable& table, const RunFigures* baseline, const UsageTable* baselineTable,
                      const std::filesystem::path& folder, const std::filesystem::path* baselineFolder) const {
        return buildReport(table, baseline, baselineTable, folder, baselineFolder, false);
    }
    // The same, letting go of each deck type's table and figures as soon as
    // its part of the report is made, so that the two are not held whole at
    // once. Nothing but the listing is left to ask of these figures then.
    ReportData takeReport(const UsageTable& table, const RunFigures* baseline, const UsageTable* baselineTable,
                          const std::filesystem::path& folder, const std::filesystem::path* baselineFolder) {
        return buildReport(table, baseline, baselineTable, folder, baselineFolder, true);
    }

    const TypedDeckFiles& listing() const { return listing_; }

    // Average deck files: for the whole run, and per deck type by name.
    AverageDeckFigures averageDeck(const UsageTable& table) const;
    std::vector<std::pair<std::string, AverageDeckFigures>> typeAverageDecks() const;

private:
    ReportData buildReport(const UsageTable& table, const RunFigures* baseline, const UsageTable* baselineTable,
                           const std::filesystem::path& folder, const std::filesystem::path* baselineFolder,
                           bool releaseTypes) const;

    const AnalysisOptions options_;
    const TypedDeckFiles& listing_;
    DeckObservers observers_;
    std::unique_ptr<CardAnalysis> analysis_;
    std::unique_ptr<AverageDeckBuilder> average_;
    std::unique_ptr<DeckTypeSplitter> types_;
};

// One folder's run: its listing, its table and what was gathered beside it.
struct FolderRun {
    TypedDeckFiles listing;
    UsageTable table;
    std::unique_ptr<RunFigures> figures;
};

}  // namespace sormel
