// Per-card report files: CSV for spreadsheets, JSON for scripts, and an
// Excel workbook, each walking the columns of report_columns.h. Each writer
// returns the whole file as bytes or hands it to a sink as it is made, for
// the one save path to put in place with the program's other outputs.
#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/card_report.h"
#include "analysis/report_data.h"
#include "engine/usage_table.h"
#include "export/byte_sink.h"
#include "export/report_columns.h"

namespace sormel {

enum class ReportKind { Csv, Json, Xlsx, Html };

// The kind a report file name asks for by its extension (.csv, .json,
// .xlsx, .html or .htm, any letter case); empty for any other name.
std::optional<ReportKind> reportKindOf(const std::filesystem::path& file);

// The deck type of the rows over all decks, beside the types' own rows.
inline constexpr const char* kAllTypesName = "全体";

// UTF-8 with a byte-order mark, CR LF, a header row, then one row per card.
std::string formatReportCsv(const ReportData& data);
// UTF-8 JSON; text that is not valid UTF-8 is written with U+FFFD.
std::string formatReportJson(const ReportData& data);
// An .xlsx workbook. Throws std::runtime_error when it cannot be built.
std::string formatReportXlsx(const ReportData& data);
// One self-contained web page (report_html.cpp).
std::string formatReportHtml(const ReportData& data);

std::string formatReport(ReportKind kind, const ReportData& data);

// The same reports written into `sink` as they are made, a piece at a
// time, never whole in memory.
void writeReportCsv(const ReportData& data, ByteSink& sink);
void writeReportHtml(const ReportData& data, ByteSink& sink);
void writeReportJson(const ReportData& data, ByteSink& sink);
void writeReportXlsx(const ReportData& data, ByteSink& sink);
void writeReport(ReportKind kind, const ReportData& data, ByteSink& sink);

// "YYYY-MM-DD HH:MM" in local time, for ReportData::date.
std::string localDateText(std::time_t time);

}  // namespace sormel
