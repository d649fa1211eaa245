// The results figures of a report: each card's, each deck type's, and what
// the report says of the results it was made with.
#pragma once

#include "analysis/analysis_request.h"
#include "analysis/report_data.h"
#include "analysis/result_tally.h"
#include "engine/usage_table.h"

namespace sormel {

// Adds to `data`, a report of the run whose table is `table` (its cards in
// the table's order, then any cards gone since a baseline, which no deck
// holds), the figures `tally` gathered. A type's figures are over the decks
// of its type, as the report's deck list gives them; the cards of each
// type's own table get none.
void addResults(ReportData& data, const UsageTable& table, const ResultTally& tally, const AnalysisRequest& request);

}  // namespace sormel
