#include "analysis/period_analysis.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "engine/file_error.h"
#include "engine/path_bytes.h"
#include "engine/shown_names.h"

namespace sormel {
namespace {

AnalysisStatus failed(std::string message) { return {AnalysisOutcome::Failed, std::move(message), false}; }

constexpr const char* kEmptyPeriod = "この期間には集計対象ファイルがありません。デッキ 0 件の期間として扱います。";

}  // namespace

PeriodAnalysis::PeriodAnalysis(AnalysisRequest request) : request_(std::move(request)) {}

PeriodAnalysis::~PeriodAnalysis() = default;

AnalysisRequest PeriodAnalysis::periodRequest(std::size_t index) const {
    AnalysisRequest request = request_;
    request.folder = folders_[index];
    request.periods = false;
    if (index + 1 < folders_.size()) {
        // An earlier period leaves only its table behind.
        request.report = false;
        request.averageDecks = false;
        request.suggestTypes = false;
    }
    return request;
}

AnalysisStatus PeriodAnalysis::list() {
    try {
        folders_ = listSubFolders(request_.folder);
    } catch (const FileError& error) {
        return failed(error.what());
    }
    if (folders_.size() < 2) {
        return {AnalysisOutcome::Refused,
                "--periods には期間のサブフォルダーが 2 つ以上あるフォルダーを指定してください。\nフォルダー: " +
                    displayPath(request_.folder),
                false};
    }
    DistinctNames names;
    for (const std::filesystem::path& folder : folders_) {
        names_.push_back(names.give(shownFolderName(pathBytes(folder.filename()))));
    }
    last_ = std::make_unique<FolderAnalysis>(periodRequest(folders_.size() - 1));
    const AnalysisStatus status = last_->list();
    lastEmpty_ = status.noDeckFile;
    return lastEmpty_ ? AnalysisStatus{} : status;
}

AnalysisStatus PeriodAnalysis::listPeriod(std::size_t index, DeckFiles& files) const {
    FolderAnalysis analysis(periodRequest(index));
    const AnalysisStatus status = analysis.list();
    if (status.noDeckFile) return {};
    if (status.completed()) files = analysis.listing().files;
    return status;
}

const TypedDeckFiles& PeriodAnalysis::listing() const { return lastEmpty_ ? noDecks_ : last_->listing(); }

std::vector<std::string> PeriodAnalysis::possibleTypeNames() const {
    return lastEmpty_ ? std::vector<std::string>() : last_->possibleTypeNames();
}

AnalysisStatus PeriodAnalysis::run(AnalysisHost& host) {
    bool anyDecks = false;
    try {
        for (std::size_t index = 0; index < folders_.size(); ++index) {
            const bool last = index + 1 == folders_.size();
            std::unique_ptr<FolderAnalysis> earlier;
            if (!last) {
                earlier = std::make_unique<FolderAnalysis>(periodRequest(index));
                if (const AnalysisStatus status = earlier->list(); !status.completed() && !status.noDeckFile) {
                    return status;
                } else if (status.noDeckFile) {
                    earlier.reset();
                }
            }
            FolderAnalysis* analysis = last ? (lastEmpty_ ? nullptr : last_.get()) : earlier.get();
            if (analysis == nullptr) {
                host.deckWarning(folders_[index], 0, kEmptyPeriod);
                series_.addPeriod(names_[index], 0, nullptr);
                continue;
            }
            if (const AnalysisStatus status = analysis->run(host); !status.completed()) return status;
            // A rule's card is unheld when no period's decks hold it.
            std::vector<std::string> unheld = analysis->ruleWarnings();
            if (anyDecks) {
                std::erase_if(unheld, [this](const std::string& warning) {
                    return std::find(ruleWarnings_.begin(), ruleWarnings_.end(), warning) == ruleWarnings_.end();
                });
            }
            ruleWarnings_ = std::move(unheld);
            anyDecks = true;
            series_.addPeriod(names_[index], static_cast<std::int64_t>(analysis->listing().files.size()),
                              &analysis->table(), analysis->typeDecks());
        }
    } catch (const std::exception& error) {
        return failed(error.what());
    }
    if (!anyDecks) return failed("集計対象ファイルがありません。");
    return {};
}

ReportData PeriodAnalysis::emptyReport() const {
    ReportData data;
    data.report.copyLimit = request_.copyLimit;
    data.report.sideCounted = request_.includeSidePart;
    if (request_.averageDecks) data.report.averageDeck = averageDecks().all;
    data.byFolder = request_.byFolder;
    data.byRules = request_.typeRules.has_value();
    if (request_.typeRules) data.typeRulesFile = pathText(*request_.typeRules);
    data.sort = request_.sortChoice;
    data.folder = shownFolderName(pathBytes(folders_.back()));
    return data;
}

ReportData PeriodAnalysis::takeReport() {
    ReportData data = lastEmpty_ ? emptyReport() : last_->takeReport();
    series_.addTo(data);
    return data;
}

AverageDeckSet PeriodAnalysis::averageDecks() const {
    if (!lastEmpty_) return last_->averageDecks();
    AverageDeckSet set;
    if (request_.includeSidePart) set.all.side.emplace();
    return set;
}

std::string PeriodAnalysis::suggestedRules() const { return lastEmpty_ ? std::string() : last_->suggestedRules(); }

std::vector<std::string> PeriodAnalysis::ruleWarnings() const { return ruleWarnings_; }

AnalysisStatus analysePeriods(const AnalysisRequest& request, AnalysisHost& host, ReportData& data) {
    PeriodAnalysis analysis(request);
    AnalysisStatus status = analysis.list();
    if (status.completed()) status = analysis.run(host);
    if (!status.completed()) return status;
    try {
        data = analysis.takeReport();
    } catch (const std::exception& error) {
        return failed(error.what());
    }
    return status;
}

}  // namespace sormel
