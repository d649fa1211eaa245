// Filling one worksheet of an Excel workbook with libxlsxwriter: cell texts
// made valid for Excel, rates and averages with the workbook's number
// formats, and column widths that fit what was written.
#pragma once

#include <xlsxwriter.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sormel {

// Throws std::runtime_error saying the workbook could not be built, and why.
[[noreturn]] void failWorkbook(const std::string& reason);
void checkXlsx(lxw_error error);

// The number formats every sheet shares; added once per workbook.
struct CellFormats {
    lxw_format* header;
    lxw_format* percent;      // hundredths of a percent as a percentage: 0.8333 shown as 83.33%
    lxw_format* twoDecimals;  // averages
};
CellFormats addCellFormats(lxw_workbook* workbook);

// A new sheet named `name`, which must be a valid, unused sheet name.
lxw_worksheet* addSheet(lxw_workbook* workbook, const std::string& name);

// Writes cells row by row and remembers how wide each column must be.
class SheetWriter {
public:
    SheetWriter(lxw_worksheet* sheet, std::size_t columns, const CellFormats& formats);

    // A bold header row in row 0, frozen so it stays in view.
    void header(const std::vector<std::string>& titles);
    void text(lxw_row_t row, lxw_col_t column, const std::string& value);
    // Nothing is written for an empty value: the cell stays blank.
    void count(lxw_row_t row, lxw_col_t column, std::optional<std::int64_t> value);
    void percent(lxw_row_t row, lxw_col_t column, std::optional<std::int64_t> hundredths);
    void twoDecimals(lxw_row_t row, lxw_col_t column, std::optional<std::int64_t> hundredths);
    // A number shown as `shown` in `format`.
    void decimal(lxw_row_t row, lxw_col_t column, double value, const std::string& shown, lxw_format* format) {
        number(row, column, value, shown, format);
    }
    // A filter over the header and rows 1 to `lastRow`.
    void autofilter(lxw_row_t lastRow);
    // A little wider than the widest cell.
    void setWidths(double padding);

private:
    void number(lxw_row_t row, lxw_col_t column, double value, const std::string& shown, lxw_format* format);
    void fit(lxw_col_t column, double width);

    lxw_worksheet* sheet_;
    std::vector<double> widths_;
    CellFormats formats_;
};

}  // namespace sormel
