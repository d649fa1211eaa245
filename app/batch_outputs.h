// The batch mode's outputs (the CSV, the reports, the average decks): all
// checked and opened before a deck is read, and put in place together once
// every one of them is complete.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/batch_mode.h"
#include "engine/deck_files.h"
#include "export/report_writer.h"
#include "export/save_set.h"

namespace sormel {

class BatchOutputs {
public:
    explicit BatchOutputs(const BatchOptions& options) : options_(options) {}

    // Why an output cannot be used: bad usage (an output that is one of the
    // decks, two outputs to one file, a file or folder that cannot be
    // written), or a failure of the moment (a pipe nobody reads).
    struct Refusal {
        std::string message;
        bool usage = true;
    };
    // Opens every output, refusing one that is one of the decks of either
    // list; nothing is left behind after a refusal.
    std::optional<Refusal> reserve(const DeckFiles& decks, const DeckFiles& baselineDecks,
                                   const std::vector<std::string>& typeNames);

    // Refuses, without opening anything, an output that would be one of
    // `decks` (more decks read by the same run, listed one folder at a time).
    std::optional<Refusal> refuseDecks(const DeckFiles& decks, const std::vector<std::string>& typeNames) const;

    void fillCsv(const std::string& csv);
    void fillReports(const ReportData& data);
    void fillSuggestedTypes(const std::string& rules);
    void fillAverageDecks(const AverageDeckFigures& all,
                          const std::vector<std::pair<std::string, AverageDeckFigures>>& types);
    // Puts every output in place; throws SaveError, leaving every old file.
    void commit() { set_.commitAll(); }

private:
    // Every file the outputs would write.
    std::vector<std::filesystem::path> outputTargets(const std::vector<std::string>& typeNames) const;

    const BatchOptions& options_;
    SaveSet set_;
    std::size_t csv_ = 0;
    std::vector<std::size_t> reports_;
    std::size_t suggestedTypes_ = 0;
    std::size_t averageDeck_ = 0;
    std::vector<std::pair<std::string, std::size_t>> typeAverageDecks_;
};

}  // namespace sormel
