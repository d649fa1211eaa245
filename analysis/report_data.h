// Everything a report file shows about a run: the per-card report, the
// deck types, the baseline it was compared with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/card_report.h"
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
};

struct ReportData {
    CardReport report;
    std::optional<BaselineInfo> baseline{};  // with --compare
    bool byFolder = false;                 // deck types were read from sub-folders
    std::vector<TypeReport> types{};       // decks descending, then name by code point
    SortChoice sort = SortChoice::ByDecks;
    std::vector<std::string> files;  // the decks read, as listed, relative to the folder
    std::string folder;              // the folder the decks were read from
    std::string date;                // when the run was made, as shown to the user
};

}  // namespace sormel
