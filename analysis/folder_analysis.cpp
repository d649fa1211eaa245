#include "analysis/folder_analysis.h"

#include <cstdlib>
#include <exception>
#include <future>
#include <system_error>
#include <utility>

#include "analysis/type_suggestion.h"
#include "engine/deck_observer.h"
#include "engine/file_error.h"
#include "engine/text_decoding.h"
#include "engine/visible_text.h"

namespace sormel {
namespace {

// Hands the lines the run read past on to the host, by file.
class SkippedLines : public DeckObserver {
public:
    SkippedLines(const DeckFiles& files, AnalysisHost& host) : files_(files), host_(host) {}
    void lineSkipped(std::size_t index, std::size_t line, const std::string& text) override {
        host_.lineSkipped(files_.path(index), line, text);
    }

private:
    const DeckFiles& files_;
    AnalysisHost& host_;
};

AnalysisStatus failed(std::string message) { return {AnalysisOutcome::Failed, std::move(message)}; }

}  // namespace

FolderAnalysis::FolderAnalysis(AnalysisRequest request) : request_(std::move(request)) {
    current_.ownTable = std::make_unique<UsageTable>();
    current_.table = current_.ownTable.get();
    baseline_.ownTable = std::make_unique<UsageTable>();
    baseline_.table = baseline_.ownTable.get();
}

FolderAnalysis::FolderAnalysis(AnalysisRequest request, UsageTable& table) : FolderAnalysis(std::move(request)) {
    current_.ownTable.reset();
    current_.table = &table;
}

FolderAnalysis::~FolderAnalysis() = default;

AnalysisStatus FolderAnalysis::listFolder(const std::filesystem::path& folder, bool baseline, Folder& into) const {
    const std::optional<FileMask> mask = FileMask::parse(request_.mask);
    if (!mask) {
        return {AnalysisOutcome::Refused,
                "ファイルマスクが正しくありません（パス区切りや制御文字は使えません）: " +
                    visibleText(toValidUtf8(request_.mask))};
    }
    auto listing = std::make_shared<TypedDeckFiles>(listTypedDeckFiles(folder, *mask, request_.byFolder));
    if (listing->files.empty()) {
        AnalysisStatus status = failed(baseline ? "比較するフォルダーに集計対象ファイルがありません。\nフォルダー: " + displayPath(folder)
                                                : std::string("集計対象ファイルがありません。"));
        status.noDeckFile = !baseline;
        return status;
    }
    into.listing = std::move(listing);
    return {};
}

AnalysisStatus FolderAnalysis::list() {
    if (request_.typeRules) {
        try {
            rules_ = std::make_shared<const TypeRules>(readTypeRules(*request_.typeRules));
        } catch (const TypeRulesError& error) {
            return {AnalysisOutcome::Refused, error.what()};
        }
    }
    if (AnalysisStatus status = readResultsSource(); !status.completed()) return status;
    if (!request_.baseline) return listOne(request_.folder, false, current_);
    // Listing a folder keeps one core busy with the system's directory
    // reads: the baseline is listed on a second thread meanwhile. The
    // folder's own failure is told first, as when they were listed in turn.
    std::future<AnalysisStatus> baseline;
    try {
        baseline = std::async(std::launch::async, [this] { return listOne(*request_.baseline, true, baseline_); });
    } catch (const std::system_error&) {
        // No thread to be had: one after the other.
        AnalysisStatus status = listOne(request_.folder, false, current_);
        return status.completed() ? listOne(*request_.baseline, true, baseline_) : status;
    }
    AnalysisStatus status = listOne(request_.folder, false, current_);
    AnalysisStatus baselineStatus = baseline.get();
    return status.completed() ? baselineStatus : status;
}

AnalysisStatus FolderAnalysis::listOne(const std::filesystem::path& folder, bool isBaseline, Folder& into) const {
    try {
        return listFolder(folder, isBaseline, into);
    } catch (const FileError& error) {
        return failed(error.what());
    }
}

AnalysisStatus FolderAnalysis::readResultsSource() {
    if (!request_.withResults() || resultsSource_) return {};
    try {
        resultsSource_ = std::make_unique<const ResultsSource>(request_.results, request_.placeFromName);
    } catch (const ResultsError& error) {
        return {AnalysisOutcome::Refused, error.what()};
    }
    return {};
}

void FolderAnalysis::useFiles(DeckFiles files) {
    auto listing = std::make_shared<TypedDeckFiles>();
    listing->typeOfFile = FileTypes(files.size(), 0);
    listing->files = std::move(files);
    listing->typeNames = {std::string(kUnsortedType)};
    current_.listing = std::move(listing);
}

AnalysisStatus FolderAnalysis::tally(AnalysisHost& host, bool baseline, Folder& folder) {
    folder.figures = std::make_unique<RunFigures>(request_, folder.listing, baseline, rules_,
                                                  baseline ? nullptr : results_);
    SkippedLines skipped(folder.listing->files, host);
    DeckObservers observers;
    if (DeckObserver* figures = folder.figures->observer()) observers.add(*figures);
    if (!baseline && host.wantsSkippedLines()) observers.add(skipped);
    TallyOptions options;
    options.includeSidePart = request_.includeSidePart;
    options.sortChoice = request_.sortChoice;
    options.mergeByName = request_.mergeByName;
    options.format = request_.format;
    options.observer = observers.empty() ? nullptr : &observers;
    // A deck's type may depend on its side part even when it does not count.
    options.readSidePart = rules_ != nullptr;
    // For measurements: how many threads read ahead of the tally.
    options.readThreads = readThreadsFromSetting(std::getenv("SORMEL_READ_THREADS"));
    host.folderStarted(baseline, folder.listing->files.size());
    const TallyResult result = runTally(*folder.table, folder.listing->files, options, host);
    switch (result.outcome) {
        case TallyOutcome::Completed: break;
        case TallyOutcome::Cancelled: return {AnalysisOutcome::Cancelled, {}};
        case TallyOutcome::Failed: return failed(result.message);
    }
    host.formatsRead(result.filesByFormat);
    folder.filesByFormat = result.filesByFormat;
    for (const DeckWarning& warning : result.warnings) {
        host.deckWarning(folder.listing->files.path(warning.file), warning.line, warning.message);
    }
    return {};
}

AnalysisStatus FolderAnalysis::run(AnalysisHost& host) {
    try {
        if (request_.withResults()) {
            if (AnalysisStatus status = readResultsSource(); !status.completed()) return status;
            results_ = std::make_shared<const RunResults>(resultsSource_->match(current_.listing->files));
            // The results file's rows that name no deck of the run are told first.
            for (const RunResults::Unmatched& row : results_->unmatched) {
                host.deckWarning(*request_.results, row.line, row.message);
            }
        }
        AnalysisStatus status = tally(host, false, current_);
        if (status.completed() && request_.baseline) status = tally(host, true, baseline_);
        if (!status.completed()) return status;
        current_.figures->finish(request_.sortChoice);
        if (request_.baseline) baseline_.figures->finish(request_.sortChoice);
        return status;
    } catch (const std::exception& error) {
        return failed(error.what());
    }
}

ReportData FolderAnalysis::report() const {
    const bool compared = request_.baseline.has_value();
    ReportData data = current_.figures->report(*current_.table, compared ? baseline_.figures.get() : nullptr,
                                               compared ? baseline_.table : nullptr);
    data.filesByFormat = current_.filesByFormat;
    return data;
}

ReportData FolderAnalysis::takeReport() {
    const bool compared = request_.baseline.has_value();
    ReportData data = current_.figures->takeReport(*current_.table, compared ? baseline_.figures.get() : nullptr,
                                                   compared ? baseline_.table : nullptr);
    data.filesByFormat = current_.filesByFormat;
    // What the run gathered is in the report data now: it goes before the
    // report is written, which takes about as much memory again.
    current_.figures.reset();
    baseline_.figures.reset();
    if (baseline_.ownTable) *baseline_.ownTable = UsageTable();
    if (current_.ownTable) *current_.ownTable = UsageTable();
    return data;
}

std::vector<std::string> FolderAnalysis::possibleTypeNames() const {
    return rules_ ? ruleTypeNames(*rules_) : current_.listing->typeNames;
}

std::string FolderAnalysis::suggestedRules() const {
    SuggestionCards cards;
    const UsageTable& table = *current_.table;
    for (std::size_t handle = 0; handle < table.rowCount(); ++handle) {
        cards.keys.push_back(table.keyAt(handle));
        cards.names.push_back(table.rowByHandle(handle).cardName);
    }
    return suggestTypeRules(current_.figures->mainParts()->decks(), cards, request_.suggestCount);
}

std::vector<std::string> FolderAnalysis::ruleWarnings() const {
    if (!rules_ || !current_.figures || !current_.figures->ruleTyping()) return {};
    std::vector<const RuleTyping*> runs = {current_.figures->ruleTyping()};
    if (baseline_.figures && baseline_.figures->ruleTyping()) runs.push_back(baseline_.figures->ruleTyping());
    return unheldCardWarnings(*rules_, displayPath(*request_.typeRules), runs);
}

std::vector<std::pair<std::string, std::int64_t>> FolderAnalysis::typeDecks() const {
    std::vector<std::pair<std::string, std::int64_t>> types;
    const RuleTyping* typing = current_.figures ? current_.figures->ruleTyping() : nullptr;
    const std::vector<std::string>& names = typing ? typing->typeNames() : current_.listing->typeNames;
    std::vector<std::int64_t> decks(names.size(), 0);
    if (typing) {
        for (const DeckTyping& deck : typing->decks()) ++decks[deck.type];
    } else if (request_.byFolder) {
        current_.listing->typeOfFile.forEachRun(
            [&](std::uint32_t type, std::size_t first, std::size_t end) { decks[type] += static_cast<std::int64_t>(end - first); });
    }
    for (std::size_t type = 0; type < names.size(); ++type) {
        if (decks[type] > 0) types.emplace_back(names[type], decks[type]);
    }
    return types;
}

AverageDeckSet FolderAnalysis::averageDecks() const { return current_.figures->averageDecks(*current_.table); }

AnalysisStatus analyseFolders(const AnalysisRequest& request, AnalysisHost& host, ReportData& data,
                              std::string* suggestedRules) {
    FolderAnalysis analysis(request);
    AnalysisStatus status = analysis.list();
    if (status.completed()) status = analysis.run(host);
    if (!status.completed()) return status;
    try {
        // The draft needs what the run gathered, which the report lets go of.
        if (request.suggestTypes && suggestedRules) *suggestedRules = analysis.suggestedRules();
        data = analysis.takeReport();
    } catch (const std::exception& error) {
        return failed(error.what());
    }
    return status;
}

}  // namespace sormel
