#include "analysis/run_figures.h"

#include <algorithm>

#include "engine/file_error.h"
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

RunFigures::RunFigures(const AnalysisRequest& request, std::shared_ptr<const TypedDeckFiles> listing, bool baseline)
    : request_(request), listing_(std::move(listing)) {
    const bool report = request.report && !baseline;
    const bool average = request.averageDecks && !baseline;
    if (report) {
        analysis_ = std::make_unique<CardAnalysis>(request.copyLimit);
        observers_.add(*analysis_);
    }
    if (average) {
        average_ = std::make_unique<AverageDeckBuilder>(request.includeSidePart);
        observers_.add(*average_);
    }
    // A baseline's types are wanted for the comparison of each type.
    if (request.byFolder && (request.report || request.averageDecks)) {
        types_ = std::make_unique<DeckTypeSplitter>(listing_->typeOfFile, listing_->typeNames, request.mergeByName);
        for (const auto& type : types_->types()) {
            if (report) type->analysis = std::make_unique<CardAnalysis>(request.copyLimit);
            if (average) type->average = std::make_unique<AverageDeckBuilder>(request.includeSidePart);
        }
        observers_.add(*types_);
    }
}

void RunFigures::finish(SortChoice choice) {
    if (types_) types_->finish(choice);
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
                                     pathText(*request_.baseline)};
    }
    data.byFolder = request_.byFolder;
    if (types_) {
        for (const auto& type : types_->types()) {
            TypeReport typeReport;
            typeReport.name = type->name;
            typeReport.decks = type->decks;
            typeReport.share =
                percentInHundredths(static_cast<double>(type->decks), static_cast<double>(deckCount));
            typeReport.report = buildCardReport(type->table, *type->analysis, type->decks, request_.includeSidePart);
            if (baselineTable != nullptr) {
                // A type the baseline does not have compares with an empty table.
                UsageTable empty;
                const UsageTable* before = &empty;
                if (baseline != nullptr && baseline->types_) {
                    for (const auto& old : baseline->types_->types()) {
                        if (old->name == type->name) before = &old->table;
                    }
                }
                addComparison(typeReport.report, type->table, *before);
            }
            if (type->average) {
                typeReport.report.averageDeck = averageDeckFigures(type->average->build(type->table), type->table);
            }
            data.types.push_back(std::move(typeReport));
            if (releaseTypes) type->release();  // asked by takeReport, which may change the figures
        }
        std::stable_sort(data.types.begin(), data.types.end(), [](const TypeReport& a, const TypeReport& b) {
            if (a.decks != b.decks) return a.decks > b.decks;
            return a.name < b.name;  // UTF-8 byte order is code point order
        });
    }
    data.sort = request_.sortChoice;
    for (const std::filesystem::path& file : listing_->files) {
        data.files.push_back(pathText(file.lexically_relative(request_.folder)));
    }
    data.folder = pathText(request_.folder);
    return data;
}

AverageDeckSet RunFigures::averageDecks(const UsageTable& table) const {
    AverageDeckSet set;
    if (average_) set.all = averageDeckFigures(average_->build(table), table);
    if (!types_) return set;
    for (const auto& type : types_->types()) {
        if (type->average) {
            set.types.emplace_back(type->name, averageDeckFigures(type->average->build(type->table), type->table));
        }
    }
    return set;
}

}  // namespace sormel
