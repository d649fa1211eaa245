#include "analysis/run_figures.h"

#include <algorithm>
#include <exception>

#include "analysis/result_report.h"
#include "engine/file_error.h"
#include "engine/path_bytes.h"
#include "engine/shown_names.h"
#include "engine/numeric_text.h"

namespace sormel {

AverageDeckSet averageDecksOf(const ReportData& data) {
    AverageDeckSet set;
    if (data.report.averageDeck) set.all = *data.report.averageDeck;
    for (const TypeReport& type : data.types) {
        if (type.report.averageDeck) set.types.emplace_back(type.name, *type.report.averageDeck);
    }
    return set;
}

RunFigures::RunFigures(const AnalysisRequest& request, std::shared_ptr<const TypedDeckFiles> listing, bool baseline,
                       std::shared_ptr<const TypeRules> rules, std::shared_ptr<const RunResults> results)
    : request_(request), listing_(std::move(listing)), report_(request.report && !baseline),
      averageWanted_(request.averageDecks && !baseline) {
    const bool report = report_;
    const bool average = averageWanted_;
    if (report) {
        analysis_ = std::make_unique<CardAnalysis>(request.copyLimit);
        observers_.add(*analysis_);
    }
    if (average) {
        average_ = std::make_unique<AverageDeckBuilder>(request.includeSidePart);
        observers_.add(*average_);
    }
    if (report && results) {
        results_ = std::make_unique<ResultTally>(std::move(results), request.top);
        observers_.add(*results_);
    }
    if (request.suggestTypes && !baseline) {
        mainParts_ = std::make_unique<MainParts>(listing_->files.size());
        observers_.add(*mainParts_);
    }
    // A baseline's types are wanted for the comparison of each type.
    const bool typeTables = request.report || request.averageDecks;
    if (rules) {
        // A deck's type is known at its end, and a deck no rule names only
        // after the run: the types' tables are fed once every type is known.
        typing_ = std::make_unique<RuleTyping>(std::move(rules), listing_->files.size());
        observers_.add(*typing_);
        if (typeTables) {
            held_ = std::make_unique<HeldDecks>(listing_->files.size());
            observers_.add(*held_);
        }
    } else if (request.byFolder && typeTables) {
        types_ = makeSplitter(listing_->typeOfFile, listing_->typeNames);
        observers_.add(*types_);
    }
}

std::unique_ptr<DeckTypeSplitter> RunFigures::makeSplitter(FileTypes typeOfFile,
                                                           const std::vector<std::string>& typeNames) const {
    auto types = std::make_unique<DeckTypeSplitter>(std::move(typeOfFile), typeNames, request_.mergeByName);
    for (const auto& type : types->types()) {
        if (report_) type->analysis = std::make_unique<CardAnalysis>(request_.copyLimit);
        if (averageWanted_) type->average = std::make_unique<AverageDeckBuilder>(request_.includeSidePart);
    }
    // Types from sub-folders are read one after the other: without a
    // comparison, which needs every type's table at the end, each is turned
    // into its report as soon as its decks are read. (Types named by rules
    // are fed from the held decks, which are let go of only at the end.)
    if (!request_.baseline && !typing_ && (report_ || averageWanted_)) {
        types->finishEachType(request_.sortChoice, [this](DeckTypeTally& type) { reportType(type); });
    }
    return types;
}

void RunFigures::reportType(DeckTypeTally& type) const {
    try {
        const UsageTable& table = type.tableOrNew(request_.mergeByName);
        CardReport report;
        if (type.analysis) report = buildCardReport(table, *type.analysis, type.decks, request_.includeSidePart);
        if (type.average) report.averageDeck = averageDeckFigures(type.average->build(table), table);
        type.release();
        type.report = std::move(report);
    } catch (...) {
        type.release();
        type.reportError = std::current_exception();
    }
}

void RunFigures::finish(SortChoice choice) {
    if (typing_) {
        typing_->finish();
        if (held_) {
            FileTypes typeOfFile;
            for (const DeckTyping& deck : typing_->decks()) typeOfFile.append(1, static_cast<std::uint32_t>(deck.type));
            types_ = makeSplitter(std::move(typeOfFile), typing_->typeNames());
            held_->playBack(*types_);
            held_.reset();
            types_->dropEmptyTypes();
        }
    }
    if (types_) types_->finish(choice);
}

std::vector<DeckListEntry> RunFigures::deckList(const std::vector<std::string>& files) const {
    std::vector<DeckListEntry> list;
    list.reserve(listing_->files.size());
    for (std::size_t i = 0; i < listing_->files.size(); ++i) {
        DeckListEntry entry;
        entry.file = files[i];
        if (typing_) {
            const DeckTyping& deck = typing_->decks()[i];
            entry.type = typing_->typeNames()[deck.type];
            entry.how = deck.how;
            entry.similarity = deck.similarity;
        } else {
            entry.type = listing_->typeNames[listing_->typeOfFile[i]];
            entry.how = TypingWay::Folder;
        }
        list.push_back(std::move(entry));
    }
    return list;
}

ReportData RunFigures::buildReport(const UsageTable& table, const RunFigures* baseline,
                                   const UsageTable* baselineTable, bool releaseTypes) const {
    const auto deckCount = static_cast<std::int64_t>(listing_->files.size());
    ReportData data;
    data.report = buildCardReport(table, *analysis_, deckCount, request_.includeSidePart);
    if (baselineTable != nullptr) addComparison(data.report, table, *baselineTable);
    if (average_) data.report.averageDeck = averageDeckFigures(average_->build(table), table);
    if (baseline != nullptr && request_.baseline) {
        data.baseline = BaselineInfo{static_cast<std::int64_t>(baseline->listing_->files.size()),
                                     shownFolderName(pathBytes(*request_.baseline))};
    }
    data.byFolder = request_.byFolder;
    data.byRules = typing_ != nullptr;
    if (request_.typeRules) data.typeRulesFile = pathText(*request_.typeRules);
    data.files.reserve(listing_->files.size());
    for (std::size_t file = 0; file < listing_->files.size(); ++file) {
        data.files.push_back(listing_->files.relativeName(file));
    }
    if (data.typed()) data.deckList = deckList(data.files);
    if (types_) {
        for (const auto& type : types_->types()) {
            TypeReport typeReport;
            typeReport.name = type->name;
            typeReport.decks = type->decks;
            typeReport.share =
                percentInHundredths(static_cast<double>(type->decks), static_cast<double>(deckCount));
            if (type->reportError) std::rethrow_exception(type->reportError);
            if (type->report) {
                // Made when the type's last deck was read.
                typeReport.report = releaseTypes ? std::move(*type->report) : *type->report;
                data.types.push_back(std::move(typeReport));
                if (releaseTypes) type->release();
                continue;
            }
            const UsageTable& typeTable = type->tableOrNew(request_.mergeByName);
            typeReport.report = buildCardReport(typeTable, *type->analysis, type->decks, request_.includeSidePart);
            if (baselineTable != nullptr) {
                // A type the baseline does not have compares with an empty table.
                UsageTable empty;
                const UsageTable* before = &empty;
                if (baseline != nullptr && baseline->types_) {
                    for (const auto& old : baseline->types_->types()) {
                        if (old->name == type->name && old->table) before = old->table.get();
                    }
                }
                addComparison(typeReport.report, typeTable, *before);
            }
            if (type->average) {
                typeReport.report.averageDeck = averageDeckFigures(type->average->build(typeTable), typeTable);
            }
            data.types.push_back(std::move(typeReport));
            if (releaseTypes) type->release();  // asked by takeReport, which may change the figures
        }
        // Types named by rules keep the rules' order.
        if (!typing_) {
            std::stable_sort(data.types.begin(), data.types.end(), [](const TypeReport& a, const TypeReport& b) {
                if (a.decks != b.decks) return a.decks > b.decks;
                return a.name < b.name;  // UTF-8 byte order is code point order
            });
        }
    }
    data.sort = request_.sortChoice;
    data.folder = shownFolderName(pathBytes(request_.folder));
    if (results_) addResults(data, table, *results_, request_);
    return data;
}

AverageDeckSet RunFigures::averageDecks(const UsageTable& table) const {
    AverageDeckSet set;
    if (average_) set.all = averageDeckFigures(average_->build(table), table);
    if (!types_) return set;
    for (const auto& type : types_->types()) {
        if (type->reportError) std::rethrow_exception(type->reportError);
        if (type->report && type->report->averageDeck) {
            set.types.emplace_back(type->name, *type->report->averageDeck);
        } else if (type->average) {
            const UsageTable& typeTable = type->tableOrNew(request_.mergeByName);
            set.types.emplace_back(type->name, averageDeckFigures(type->average->build(typeTable), typeTable));
        }
    }
    return set;
}

}  // namespace sormel
