// The choices of one analysis, as one value: what is read, how it is
// counted, and what is made of it. The command line and the analysis
// window's settings fill it in; the pipeline takes it whole.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "engine/deck_format.h"
#include "engine/sort_choice.h"

namespace sormel {

struct AnalysisRequest {
    // What is read.
    std::filesystem::path folder;
    std::string mask = "*.txt";
    DeckFormat format = DeckFormat::Auto;
    bool byFolder = false;                          // deck types from sub-folders
    std::optional<std::filesystem::path> typeRules; // deck types named by the rules of this file
    std::optional<std::filesystem::path> baseline;  // an earlier period to compare with
    bool periods = false;  // each sub-folder of the folder is one period, in name order

    // How it is counted.
    bool includeSidePart = true;
    bool mergeByName = false;  // printings of a card are one row
    SortChoice sortChoice = SortChoice::ByDecks;

    // What is made beside the usage table.
    int copyLimit = 3;          // shapes the per-card figures only
    bool report = true;         // the per-card report (and the types' own)
    bool averageDecks = false;  // the average deck of all decks and of each type
    bool suggestTypes = false;  // draft type rules for the decks read
    std::optional<int> suggestCount;  // how many types those rules have; chosen when empty

    // How the decks did in their event, for the figures beside the usage.
    std::optional<std::filesystem::path> results;  // a results file (CSV)
    std::optional<std::string> placeFromName;      // a pattern whose first group in a deck's name is its place
    int top = 8;        // places 1 to top make the top cut
    int minDecks = 10;  // figures over fewer decks are a small sample

    bool withResults() const { return results.has_value() || placeFromName.has_value(); }

    bool typed() const { return byFolder || typeRules.has_value(); }
    bool operator==(const AnalysisRequest&) const = default;
};

}  // namespace sormel
