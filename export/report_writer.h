// Per-card report files: CSV for spreadsheets, JSON for scripts, and an
// Excel workbook. Each writer returns the whole file as bytes, for the one
// save path to put in place with the program's other outputs.
#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/card_report.h"
#include "engine/usage_table.h"

namespace sormel {

enum class ReportKind { Csv, Json, Xlsx };

// The kind a report file name asks for by its extension (.csv, .json,
// .xlsx, any letter case); empty for any other name.
std::optional<ReportKind> reportKindOf(const std::filesystem::path& file);

struct BaselineInfo {
    std::int64_t decks = 0;
    std::string folder;
};

// One deck type (sub-folder) and its own per-card report.
struct TypeReport {
    std::string name;
    std::int64_t decks = 0;
    std::int64_t share = 0;  // hundredths of a percent of all decks
    CardReport report;
};

struct ReportData {
    CardReport report;
    std::optional<BaselineInfo> baseline{};  // with --compare
    bool byFolder = false;                 // deck types were read from sub-folders
    std::vector<TypeReport> types{};       // decks descending, then name by code point
    SortChoice sort = SortChoice::ByDecks;
    std::vector<std::string> files;  // the decks read, as listed, relative to the folder
    std::string folder;              // the folder the decks were read from
    std::string date;                // when the run was made, as shown to the user
};

// Column titles of the CSV and the workbook, for a copy limit of `copyLimit`.
std::vector<std::string> reportColumnNames(int copyLimit);
// Titles of the columns that follow them when there is a baseline.
std::vector<std::string> comparisonColumnNames();
// 新規, 消滅, or empty for a card found in both periods.
std::string cardStatusText(CardStatus status);
// The deck type of the rows over all decks, beside the types' own rows.
inline constexpr const char* kAllTypesName = "全体";

// UTF-8 with a byte-order mark, CR LF, a header row, then one row per card.
std::string formatReportCsv(const ReportData& data);
// UTF-8 JSON; text that is not valid UTF-8 is written with U+FFFD.
std::string formatReportJson(const ReportData& data);
// An .xlsx workbook. Throws std::runtime_error when it cannot be built.
std::string formatReportXlsx(const ReportData& data);

std::string formatReport(ReportKind kind, const ReportData& data);

// "YYYY-MM-DD HH:MM" in local time, for ReportData::date.
std::string localDateText(std::time_t time);

}  // namespace sormel
