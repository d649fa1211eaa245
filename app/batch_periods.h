// What the batch mode does its own way for a run over several periods:
// the outputs are checked against every period's decks, one period at a
// time, and the plain CSV is the last period's.
#pragma once

#include <optional>
#include <string>

#include "analysis/period_analysis.h"
#include "app/batch_outputs.h"
#include "export/csv_writer.h"

namespace sormel {

// Refuses an output that is one of the decks of any period, then opens
// every output as BatchOutputs::reserve does.
std::optional<BatchOutputs::Refusal> reserveOutputs(BatchOutputs& outputs, const PeriodAnalysis& analysis);

// The last period's usage table as CSV; no row when it has no deck.
std::string plainCsv(const PeriodAnalysis& analysis, CsvEncoding encoding, Cp932Loss* loss);

}  // namespace sormel
