// One analysis of a folder, the same for the batch mode and the windows:
// list the decks (and the baseline's), tally each folder, finish the
// figures, and make the report. Each step says how it went; nothing here
// prints or shows anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/analysis_request.h"
#include "analysis/deck_results.h"
#include "analysis/report_data.h"
#include "analysis/run_figures.h"
#include "engine/deck_listing.h"
#include "engine/tally_run.h"
#include "engine/usage_table.h"

namespace sormel {

enum class AnalysisOutcome {
    Completed,
    Cancelled,  // the host asked the run to stop
    Refused,    // the request cannot be carried out as given (a bad mask)
    Failed,     // a folder could not be read, had no deck, or a deck stopped the run
};

struct AnalysisStatus {
    AnalysisOutcome outcome = AnalysisOutcome::Completed;
    std::string message;  // what went wrong, and where
    bool noDeckFile = false;  // Failed because the folder holds no deck file
    bool completed() const { return outcome == AnalysisOutcome::Completed; }
};

// The live side of an analysis: the run's host for each folder in turn,
// and the lines the run read past in the decks of the folder analysed.
class AnalysisHost : public TallyHost {
public:
    // The run of a folder of `files` decks starts: first the folder's, then
    // the baseline's.
    virtual void folderStarted(bool /*baseline*/, std::size_t /*files*/) {}
    // Whether lineSkipped is wanted (following every line costs the run).
    virtual bool wantsSkippedLines() const { return false; }
    // A line that was neither a card line, a section or separator line,
    // nor blank, in deck `file` of the folder (not the baseline's).
    virtual void lineSkipped(const std::filesystem::path& /*file*/, std::size_t /*line*/,
                             const std::string& /*text*/) {}
    // After a completed run of a folder, each thing it read past that may
    // make a figure wrong, in reading order; `line` is 0 for a whole file.
    virtual void deckWarning(const std::filesystem::path& /*file*/, std::size_t /*line*/,
                             const std::string& /*message*/) {}
    // After a completed run of a folder: how many files it read in each
    // format, by DeckFormat's value.
    virtual void formatsRead(const std::vector<std::size_t>& /*filesByFormat*/) {}
};

class FolderAnalysis {
public:
    explicit FolderAnalysis(AnalysisRequest request);
    // The run tallies into `table` (which must outlive the analysis) rather
    // than into a table of its own, for a window that shows it as it fills.
    FolderAnalysis(AnalysisRequest request, UsageTable& table);
    ~FolderAnalysis();
    FolderAnalysis(const FolderAnalysis&) = delete;
    FolderAnalysis& operator=(const FolderAnalysis&) = delete;

    // Reads the rules file (when the request names one), then lists the
    // decks of the folder and of the baseline. Refused for a rules file that
    // cannot be used or a mask no file name could match; Failed when a
    // folder cannot be read or holds no deck file.
    AnalysisStatus list();
    // Takes `files` as the folder's decks, all of one type, instead of
    // listing the folder.
    void useFiles(DeckFiles files);

    const AnalysisRequest& request() const { return request_; }
    const TypedDeckFiles& listing() const { return *current_.listing; }
    // Empty without a baseline.
    const TypedDeckFiles& baselineListing() const { return *baseline_.listing; }
    // Every type a deck of the folder may get, known before the run.
    std::vector<std::string> possibleTypeNames() const;

    // Tallies the folder, then the baseline, and finishes their figures.
    AnalysisStatus run(AnalysisHost& host);

    // After a completed run:
    const UsageTable& table() const { return *current_.table; }
    // The report (when the request asked for one); the date is left for the
    // caller. takeReport lets go of what the run gathered as the report is
    // made, leaving the listings (and a table the caller handed in); a
    // table of the analysis's own is left empty.
    ReportData report() const;
    ReportData takeReport();
    // The average decks (when the request asked for them).
    AverageDeckSet averageDecks() const;
    // When the request asked for them: rules typing the decks read (TOML).
    std::string suggestedRules() const;
    // After a completed run with deck types: each type that has decks, with
    // how many.
    std::vector<std::pair<std::string, std::int64_t>> typeDecks() const;
    // With rules: "RULES:LINE: 警告: …" for each place a rule names a card
    // no deck of the run (the baseline's included) holds.
    std::vector<std::string> ruleWarnings() const;

private:
    struct Folder {
        std::shared_ptr<const TypedDeckFiles> listing = std::make_shared<TypedDeckFiles>();
        UsageTable* table = nullptr;
        std::unique_ptr<UsageTable> ownTable;
        std::unique_ptr<RunFigures> figures;
        std::vector<std::size_t> filesByFormat;
    };
    AnalysisStatus listFolder(const std::filesystem::path& folder, bool baseline, Folder& into) const;
    // listFolder, with a folder that cannot be read told as a failure.
    AnalysisStatus listOne(const std::filesystem::path& folder, bool baseline, Folder& into) const;
    AnalysisStatus tally(AnalysisHost& host, bool baseline, Folder& folder);
    // Reads the results the request names, once; Refused when they cannot be used.
    AnalysisStatus readResultsSource();

    const AnalysisRequest request_;
    std::shared_ptr<const TypeRules> rules_;
    std::unique_ptr<const ResultsSource> resultsSource_;
    std::shared_ptr<const RunResults> results_;  // the folder's decks' results, from the run on
    Folder current_;
    Folder baseline_;
};

// The whole route for a caller with nothing to do between its steps: the
// report of `request` (with the date left empty) in `data`, and, when the
// request asks for them and `suggestedRules` is given, the draft rules.
AnalysisStatus analyseFolders(const AnalysisRequest& request, AnalysisHost& host, ReportData& data,
                              std::string* suggestedRules = nullptr);

}  // namespace sormel
