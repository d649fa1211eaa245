// The batch mode: tallies a folder without a window and writes the CSV to a
// file or to standard output.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/exit_codes.h"
#include "analysis/analysis_request.h"
#include "export/csv_writer.h"

namespace sormel {

// What the batch mode reads and counts (the request), and where its outputs go.
struct BatchOptions {
    // The report and the average decks are made when an output asks for them.
    AnalysisRequest request;
    std::optional<std::filesystem::path> output;  // standard output when empty
    CsvEncoding encoding = CsvEncoding::Cp932;
    bool showSkipped = false;                          // list skipped lines on standard error
    bool strict = false;                               // any warning fails the run, writing nothing
    std::vector<std::filesystem::path> reports;        // --report, by extension
    std::optional<std::filesystem::path> averageDeck;  // a file, or a folder with byFolder
    std::optional<std::filesystem::path> suggestTypes;  // suggested type rules
};

// Runs the tally and writes the result; messages go to standard error.
int runBatch(const BatchOptions& options);

}  // namespace sormel
