// What a run was made with, as the report files list it: the workbook's
// 条件 sheet and the foot of the web page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/report_data.h"

namespace sormel {

struct ConditionRow {
    std::string label;
    std::string text;                    // the value, for a row that is text
    std::optional<std::int64_t> count{}; // the value, for a row that is a number

    // The value as a reader sees it.
    std::string shown() const { return count ? std::to_string(*count) : text; }
};

std::vector<ConditionRow> reportConditions(const ReportData& data);

// "native 8, list 2": the formats the decks were read in, with their
// counts; empty when no count is known.
std::string formatsReadText(const std::vector<std::size_t>& filesByFormat);

}  // namespace sormel
