// What a run gathers beside the usage table while it reads a folder
// (per-card figures, deck types, average decks), and the report data it
// makes of them afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_request.h"
#include "analysis/average_deck.h"
#include "analysis/card_analysis.h"
#include "analysis/deck_types.h"
#include "analysis/deck_typing.h"
#include "analysis/held_decks.h"
#include "analysis/main_parts.h"
#include "analysis/result_tally.h"
#include "analysis/type_rules.h"
#include "analysis/report_data.h"
#include "engine/deck_listing.h"
#include "engine/deck_observer.h"

namespace sormel {

// The average deck files of a run: over all decks, and per deck type by name.
struct AverageDeckSet {
    AverageDeckFigures all;
    std::vector<std::pair<std::string, AverageDeckFigures>> types;
};

// The average decks a report holds (it was made with them).
AverageDeckSet averageDecksOf(const ReportData& data);

class RunFigures {
public:
    // A baseline run gathers only what a comparison needs: its tables.
    // With `rules`, each deck's type is named by them (request.typeRules);
    // with `results`, the report tells how the decks holding each card did.
    RunFigures(const AnalysisRequest& request, std::shared_ptr<const TypedDeckFiles> listing, bool baseline,
               std::shared_ptr<const TypeRules> rules = nullptr, std::shared_ptr<const RunResults> results = nullptr);

    // To be handed to the run; told of everything it reads.
    DeckObserver* observer() { return observers_.empty() ? nullptr : &observers_; }

    // Finishes the deck types' tables (throws CardError for a count out of
    // range in one of them); with rules, names the nearest types first.
    void finish(SortChoice choice);

    // Every deck's main part, when rules are to be suggested.
    const MainParts* mainParts() const { return mainParts_.get(); }

    // The typing by rules, when the decks were typed by rules.
    const RuleTyping* ruleTyping() const { return typing_.get(); }

    // The report of the finished run whose table is `table`, compared with
    // `baseline` (its figures and table) when given. The date is left for
    // the caller.
    ReportData report(const UsageTable& table, const RunFigures* baseline, const UsageTable* baselineTable) const {
        return buildReport(table, baseline, baselineTable, false);
    }
    // The same, letting go of each deck type's table and figures as soon as
    // its part of the report is made, so that the two are not held whole at
    // once. Nothing but the listing is left to ask of these figures then.
    ReportData takeReport(const UsageTable& table, const RunFigures* baseline, const UsageTable* baselineTable) {
        return buildReport(table, baseline, baselineTable, true);
    }

    const TypedDeckFiles& listing() const { return *listing_; }

    // The average decks, when they were asked for.
    AverageDeckSet averageDecks(const UsageTable& table) const;

private:
    ReportData buildReport(const UsageTable& table, const RunFigures* baseline, const UsageTable* baselineTable,
                           bool releaseTypes) const;
    std::unique_ptr<DeckTypeSplitter> makeSplitter(FileTypes typeOfFile,
                                                   const std::vector<std::string>& typeNames) const;
    // Turns a finished deck type into what the report shows of it, and lets
    // go of its table and figures; a failure is kept for the report.
    void reportType(DeckTypeTally& type) const;
    // Every deck with its type; `files` are the decks' names as the report shows them.
    std::vector<DeckListEntry> deckList(const std::vector<std::string>& files) const;

    const AnalysisRequest request_;
    const std::shared_ptr<const TypedDeckFiles> listing_;
    const bool report_;          // per-card figures are gathered
    const bool averageWanted_;  // average decks are gathered
    DeckObservers observers_;
    std::unique_ptr<CardAnalysis> analysis_;
    std::unique_ptr<AverageDeckBuilder> average_;
    std::unique_ptr<DeckTypeSplitter> types_;
    std::unique_ptr<RuleTyping> typing_;
    std::unique_ptr<HeldDecks> held_;
    std::unique_ptr<MainParts> mainParts_;  // the decks' entries, until their types are known
    std::unique_ptr<ResultTally> results_;
};

}  // namespace sormel
