#include "analysis/result_report.h"

#include <map>

#include "engine/file_error.h"

namespace sormel {

void addResults(ReportData& data, const UsageTable& table, const ResultTally& tally, const AnalysisRequest& request) {
    const ResultSums& all = tally.all();
    std::vector<CardFigures>& cards = data.report.cards;
    for (std::size_t position = 0; position < cards.size(); ++position) {
        const ResultSums held = position < table.rowCount() ? tally.heldBy(table.handleAt(position)) : ResultSums{};
        cards[position].results = resultFigures(held, all, request.minDecks);
    }
    if (data.typed()) {
        std::map<std::string, ResultSums> ofType;
        for (std::size_t deck = 0; deck < data.deckList.size(); ++deck) {
            if (const ResultSums* sums = tally.deck(deck)) ofType[data.deckList[deck].type].add(*sums);
        }
        for (TypeReport& type : data.types) type.results = resultFigures(ofType[type.name], all, request.minDecks);
    }
    ResultsSummary summary;
    summary.decksWithResult = all.decks;
    summary.decksWithPlace = all.placed;
    summary.top = request.top;
    summary.minDecks = request.minDecks;
    if (request.results) summary.file = pathText(*request.results);
    if (request.placeFromName) summary.placePattern = *request.placeFromName;
    data.results = std::move(summary);
}

}  // namespace sormel
