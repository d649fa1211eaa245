// The sheets of a workbook over several periods: 推移 with each card's
// adoption period by period, its change, trend and status, and a line
// chart of the cards most adopted in the last period; with deck types,
// タイプ推移 with each type's share period by period and a stacked chart.
#pragma once

#include <string>

#include "analysis/report_data.h"
#include "export/xlsx_sheet.h"

namespace sormel {

inline const std::string kTrendSheet = "推移";
inline const std::string kTypeTrendSheet = "タイプ推移";

// Nothing for a report of one period.
void writeTrendSheets(xlsx::Book& book, const ReportData& data, const CellFormats& formats);

}  // namespace sormel
