#include "app/batch_periods.h"

#include <filesystem>
#include <vector>

namespace sormel {

std::optional<BatchOutputs::Refusal> reserveOutputs(BatchOutputs& outputs, const PeriodAnalysis& analysis) {
    const std::vector<std::string> typeNames = analysis.possibleTypeNames();
    for (std::size_t period = 0; period + 1 < analysis.periodCount(); ++period) {
        DeckFiles decks;
        if (const AnalysisStatus status = analysis.listPeriod(period, decks); !status.completed()) {
            return BatchOutputs::Refusal{status.message, status.outcome == AnalysisOutcome::Refused};
        }
        if (std::optional<BatchOutputs::Refusal> refusal = outputs.refuseDecks(decks, typeNames)) return refusal;
    }
    return outputs.reserve(analysis.listing().files, analysis.baselineListing().files, typeNames);
}

std::string plainCsv(const PeriodAnalysis& analysis, CsvEncoding encoding, Cp932Loss* loss) {
    if (analysis.lastHasDecks()) return formatCsv(analysis.table(), encoding, loss);
    return encoding == CsvEncoding::Utf8Bom ? "\xEF\xBB\xBF" : "";
}

}  // namespace sormel
