// An analysis over several periods: each first-level sub-folder of the
// request's folder is one period, in name order, tallied as if it were
// read alone. Of the earlier periods only what the trends need is kept;
// the last period is analysed whole, and its report gains the trends.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/folder_analysis.h"
#include "analysis/trends.h"

namespace sormel {

class PeriodAnalysis {
public:
    explicit PeriodAnalysis(AnalysisRequest request);
    ~PeriodAnalysis();
    PeriodAnalysis(const PeriodAnalysis&) = delete;
    PeriodAnalysis& operator=(const PeriodAnalysis&) = delete;

    // Lists the periods, then the decks of the last. Refused when the folder
    // has fewer than two periods, and for whatever FolderAnalysis::list
    // refuses; a last period without a deck file is no failure.
    AnalysisStatus list();

    std::size_t periodCount() const { return folders_.size(); }
    // The deck files of an earlier period, listed again; none for a period
    // without one. For checks made before anything is read.
    AnalysisStatus listPeriod(std::size_t index, DeckFiles& files) const;

    // The last period's, as FolderAnalysis has them.
    const TypedDeckFiles& listing() const;
    const TypedDeckFiles& baselineListing() const { return noDecks_; }
    std::vector<std::string> possibleTypeNames() const;

    // Tallies each period in turn. A period without a deck file counts as
    // a period of no deck, told to the host as a warning about its folder
    // (line 0). Failed when no period has a deck file.
    AnalysisStatus run(AnalysisHost& host);

    // After a completed run.
    bool lastHasDecks() const { return !lastEmpty_; }
    const UsageTable& table() const { return last_->table(); }
    const TrendSeries& series() const { return series_; }
    // The last period's report with the trends of every period.
    ReportData takeReport();
    AverageDeckSet averageDecks() const;
    std::string suggestedRules() const;
    // With rules: each place a rule names a card no period's decks hold.
    std::vector<std::string> ruleWarnings() const;

private:
    AnalysisRequest periodRequest(std::size_t index) const;
    ReportData emptyReport() const;

    const AnalysisRequest request_;
    std::vector<std::filesystem::path> folders_;
    std::vector<std::string> names_;  // as shown, all different
    std::unique_ptr<FolderAnalysis> last_;
    bool lastEmpty_ = false;
    TypedDeckFiles noDecks_;
    TrendSeries series_;
    std::vector<std::string> ruleWarnings_;
};

// The whole route for a caller with nothing to do between its steps, as
// analyseFolders: the last period's report with the trends in `data`.
AnalysisStatus analysePeriods(const AnalysisRequest& request, AnalysisHost& host, ReportData& data);

}  // namespace sormel
