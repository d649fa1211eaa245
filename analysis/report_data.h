// Everything a report file shows about a run: the per-card report, the
// deck types, the baseline it was compared with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/card_report.h"
#include "analysis/deck_typing.h"
#include "analysis/result_figures.h"
#include "engine/sort_choice.h"

namespace sormel {

struct BaselineInfo {
    std::int64_t decks = 0;
    std::string folder;
};

// One deck type (sub-folder) and its own per-card report.
struct TypeReport {
    std::string name;
    std::int64_t decks = 0;
    std::int64_t share = 0;  // hundredths of a percent of all decks
    CardReport report;
    std::optional<TypeTrend> shareTrend{};  // over several periods
    std::optional<ResultFigures> results{};  // with deck results: how the type's decks did
};

// One deck of the folder and how it got its type.
struct DeckListEntry {
    std::string file;  // relative to the folder, with "/"
    std::string type;
    TypingWay how = TypingWay::None;
    double similarity = 0;  // for TypingWay::Similar
};

struct ReportData {
    CardReport report;
    std::optional<BaselineInfo> baseline{};  // with --compare
    bool byFolder = false;                 // deck types were read from sub-folders
    bool byRules = false;                  // deck types were named by a rules file
    std::string typeRulesFile{};           // that file, as given
    std::vector<TypeReport> types{};       // sub-folders: decks descending, then name by code point;
                                           // rules: in the file's order, 分類なし last
    std::vector<DeckListEntry> deckList{}; // with deck types: every deck of the folder, as read
    SortChoice sort = SortChoice::ByDecks;
    std::vector<std::string> files;  // the decks read, as listed, relative to the folder
    std::string folder;              // the folder the decks were read from
    std::string date;                // when the run was made, as shown to the user
    std::vector<PeriodInfo> periods{};  // over several periods: each, in order; the report is the last's
    std::optional<ResultsSummary> results{};  // with deck results
    std::vector<std::size_t> filesByFormat{};  // the decks read in each DeckFormat

    bool typed() const { return byFolder || byRules; }
};

}  // namespace sormel
