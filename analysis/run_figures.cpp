#include "analysis/run_figures.h"

#include <algorithm>

#include "engine/file_error.h"
#include "engine/numeric_text.h"

namespace sormel {
namespace {

// A type's observers, in the order they were added.
CardAnalysis* typeAnalysis(const DeckTypeTally& type) {
    return type.observers.empty() ? nullptr : dynamic_cast<CardAnalysis*>(type.observers.front().get());
}

AverageDeckBuilder* typeAverage(const DeckTypeTally& type) {
    return type.observers.empty() ? nullptr : dynamic_cast<AverageDeckBuilder*>(type.observers.back().get());
}

}  // namespace

RunFigures::RunFigures(const AnalysisOptions& options, const TypedDeckFiles& listing, bool baseline)
    : options_(options), listing_(listing) {
    const bool reports = options.cardFigures;
    if (!baseline && reports) {
        analysis_ = std::make_unique<CardAnalysis>(options.copyLimit);
        observers_.add(*analysis_);
    }
    if (!baseline && options.averageDeck) {
        average_ = std::make_unique<AverageDeckBuilder>(options.includeSidePart);
        observers_.add(*average_);
    }
    if (options.byFolder && (reports || options.averageDeck)) {
        types_ = std::make_unique<DeckTypeSplitter>(listing.typeOfFile, listing.typeNames, options.mergeByName);
        for (const auto& type : types_->types()) {
            if (!baseline && reports) type->observers.push_back(std::make_unique<CardAnalysis>(options.copyLimit));
            if (!baseline && options.averageDeck) {
                type->observers.push_back(std::make_unique<AverageDeckBuilder>(options.includeSidePart));
            }
        }
        observers_.add(*types_);
    }
}

TallyOptions RunFigures::tallyOptions(DeckObserver* observer) const {
    TallyOptions tally;
    tally.includeSidePart = options_.includeSidePart;
    tally.sortChoice = options_.sortChoice;
    tally.mergeByName = options_.mergeByName;
    tally.observer = observer;
    return tally;
}

void RunFigures::finish(SortChoice choice) {
    if (types_) types_->finish(choice);
}

ReportData RunFigures::buildReport(const UsageTable& table, const RunFigures* baseline,
                                   const UsageTable* baselineTable, const std::filesystem::path& folder,
                                   const std::filesystem::path* baselineFolder, bool releaseTypes) const {
    const auto deckCount = static_cast<std::int64_t>(listing_.files.size());
    ReportData data;
    data.report = buildCardReport(table, *analysis_, deckCount, options_.includeSidePart);
    if (baselineTable != nullptr) addComparison(data.report, table, *baselineTable);
    if (average_) data.report.averageDeck = averageDeckFigures(average_->build(table), table);
    if (baseline != nullptr && baselineFolder != nullptr) {
        data.baseline = BaselineInfo{static_cast<std::int64_t>(baseline->listing_.files.size()),
                                     pathText(*baselineFolder)};
    }
    data.byFolder = options_.byFolder;
    if (types_) {
        for (const auto& type : types_->types()) {
            TypeReport typeReport;
            typeReport.name = type->name;
            typeReport.decks = type->decks;
            typeReport.share =
                percentInHundredths(static_cast<double>(type->decks), static_cast<double>(deckCount));
            typeReport.report = buildCardReport(type->table, *typeAnalysis(*type), type->decks,
                                                options_.includeSidePart);
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
            if (AverageDeckBuilder* average = typeAverage(*type)) {
                typeReport.report.averageDeck = averageDeckFigures(average->build(type->table), type->table);
            }
            data.types.push_back(std::move(typeReport));
            if (releaseTypes) {  // asked by takeReport, which may change the figures
                type->observers.clear();
                type->table = UsageTable();
            }
        }
        std::stable_sort(data.types.begin(), data.types.end(), [](const TypeReport& a, const TypeReport& b) {
            if (a.decks != b.decks) return a.decks > b.decks;
            return a.name < b.name;  // UTF-8 byte order is code point order
        });
    }
    data.sort = options_.sortChoice;
    for (const std::filesystem::path& file : listing_.files) {
        data.files.push_back(pathText(file.lexically_relative(folder)));
    }
    data.folder = pathText(folder);
    return data;
}

AverageDeckFigures RunFigures::averageDeck(const UsageTable& table) const {
    return averageDeckFigures(average_->build(table), table);
}

std::vector<std::pair<std::string, AverageDeckFigures>> RunFigures::typeAverageDecks() const {
    std::vector<std::pair<std::string, AverageDeckFigures>> decks;
    if (!types_) return decks;
    for (const auto& type : types_->types()) {
        if (AverageDeckBuilder* average = typeAverage(*type)) {
            decks.emplace_back(type->name, averageDeckFigures(average->build(type->table), type->table));
        }
    }
    return decks;
}

}  // namespace sormel
