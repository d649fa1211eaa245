// The batch mode: tallies a folder without a window and writes the CSV to a
// file or to standard output.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/exit_codes.h"
#include "engine/deck_format.h"
#include "export/csv_writer.h"
#include "engine/usage_table.h"

namespace sormel {

struct BatchOptions {
    std::filesystem::path folder;
    std::string mask = "*.txt";
    bool includeSidePart = true;
    SortChoice sortChoice = SortChoice::ByDecks;
    std::optional<std::filesystem::path> output;  // standard output when empty
    CsvEncoding encoding = CsvEncoding::Cp932;
    DeckFormat format = DeckFormat::Auto;
    bool mergeByName = false;
    bool showSkipped = false;  // list skipped lines on standard error
    std::vector<std::filesystem::path> reports;          // --report, by extension
    int copyLimit = 3;                                   // shapes the reports only
    bool byFolder = false;                               // deck types from sub-folders
    std::optional<std::filesystem::path> baseline;       // --compare
    std::optional<std::filesystem::path> averageDeck;    // a file, or a folder with byFolder
};

// Runs the tally and writes the result; messages go to standard error.
int runBatch(const BatchOptions& options);

}  // namespace sormel
