// The batch mode: tallies a folder without a window and writes the CSV to a
// file or to standard output.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

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
};

// Runs the tally and writes the result; messages go to standard error.
int runBatch(const BatchOptions& options);

}  // namespace sormel
