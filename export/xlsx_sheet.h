// Filling one worksheet of a report's workbook: cell texts made valid for
// Excel, rates and averages with the workbook's number formats, and column
// widths that fit what was written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/xlsx_book.h"
#include "export/xlsx_error.h"

namespace sormel {


// The number formats every sheet shares; added once per workbook.
struct CellFormats {
    xlsx::Style header;
    xlsx::Style percent;      // hundredths of a percent as a percentage: 0.8333 shown as 83.33%
    xlsx::Style twoDecimals;  // averages
};
CellFormats addCellFormats(xlsx::Book& book);

// Writes cells row by row and remembers how wide each column must be.
class SheetWriter {
public:
    SheetWriter(xlsx::Sheet& sheet, std::size_t columns, const CellFormats& formats);

    // A bold header row in row 0, frozen so it stays in view.
    void header(const std::vector<std::string>& titles);
    void text(xlsx::Row row, xlsx::Column column, const std::string& value);
    // Nothing is written for an empty value: the cell stays blank.
    void count(xlsx::Row row, xlsx::Column column, std::optional<std::int64_t> value);
    void percent(xlsx::Row row, xlsx::Column column, std::optional<std::int64_t> hundredths);
    void twoDecimals(xlsx::Row row, xlsx::Column column, std::optional<std::int64_t> hundredths);
    // A number shown as `shown` (ASCII) in `format`.
    void decimal(xlsx::Row row, xlsx::Column column, double value, const std::string& shown, xlsx::Style format) {
        number(row, column, value, shown.size(), format);
    }
    // A filter over the header and rows 1 to `lastRow`.
    void autofilter(xlsx::Row lastRow);
    // A little wider than the widest cell.
    void setWidths(double padding);

private:
    // `shownWidth`: the characters of the number as shown, all ASCII.
    void number(xlsx::Row row, xlsx::Column column, double value, std::size_t shownWidth, xlsx::Style format);
    void fit(xlsx::Column column, double width);

    xlsx::Sheet& sheet_;
    std::vector<double> widths_;
    CellFormats formats_;
};

}  // namespace sormel
