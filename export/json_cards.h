// The JSON report's many small objects (one per card, one per deck of the
// deck list) written straight as text, member by member in the report's
// order.
#pragma once

#include <string>
#include <vector>

#include "analysis/report_data.h"
#include "export/report_columns.h"

namespace sormel {

// One cell of a report column as a JSON value: counts as integers, rates
// and averages as hundredths, the status as its word; null for a missing
// value and for the status of a card kept since the baseline.
void appendCellJson(std::string& out, ColumnKind kind, const CellValue& value);

// One card as an object: a member per column the card has figures for
// (`columns` with every column a card may have; the members of a group,
// such as the split by copies, are adjacent and go into an object of the
// group's name), then over several periods its trend, with results whether
// its sample is small.
void appendCardJson(std::string& out, const CardFigures& card, const std::vector<ReportColumn>& columns,
                    const std::vector<PeriodInfo>& periods);

// appendCardJson for the many cards of one report: the members' keys are
// written out once, not for every card.
class CardJsonWriter {
public:
    explicit CardJsonWriter(std::vector<ReportColumn> columns);
    void append(std::string& out, const CardFigures& card, const std::vector<PeriodInfo>& periods) const;

private:
    std::vector<ReportColumn> columns_;
    std::vector<std::string> keys_;        // by column: `"key":`
    std::vector<std::string> groupKeys_;   // by column: `"group":`, or empty
    std::vector<std::size_t> groups_;      // by column: its group's first column, or kNoGroup
    static constexpr std::size_t kNoGroup = static_cast<std::size_t>(-1);
};

// {"file", "type", "how", "similarity"}: the similarity only for a deck
// given the nearest type, else null.
void appendDeckEntryJson(std::string& out, const DeckListEntry& deck);

}  // namespace sormel
