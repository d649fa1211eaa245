// The parts of a workbook around its sheets, as Excel's own files write
// them: the package's lists of parts and relationships, the workbook part,
// its styles and document properties, and a sheet's chart and the drawing
// that places it.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "export/xlsx_text.h"

namespace sormel::xlsx {

extern const char* const kThemeXml;

// What the package holds beside its fixed parts.
struct PackageCounts {
    std::size_t sheets = 0;
    std::size_t charts = 0;  // one drawing for each
};
std::string contentTypesXml(const PackageCounts& counts);
std::string packageRelationshipsXml();
std::string workbookRelationshipsXml(std::size_t sheets);
// The relationship of a sheet, or of a drawing, to the one part it shows.
std::string drawingRelationshipXml(bool ofSheet, std::size_t number);
std::string appXml(const std::vector<std::string>& sheetNames);
std::string coreXml(std::time_t created);

// A sheet's filter over a range from A1, which the workbook names.
struct SheetFilter {
    std::size_t sheet;
    Row lastRow;
    Column lastColumn;
};
std::string workbookXml(const std::vector<std::string>& sheetNames, const std::vector<SheetFilter>& filters);

// A cell style: bold, or a number format.
struct CellStyle {
    bool bold = false;
    std::string numberFormat;  // empty: General
};
// The styles in the order the sheets first used them; the default style
// (index 0) comes first on its own.
std::string stylesXml(const std::vector<CellStyle>& used);

enum class ChartKind { Line, StackedColumn };
// One series: its name in a cell, its values in a row, the categories in
// the header row above the same columns.
struct ChartSeries {
    Row row;
    Column nameColumn;
    Column firstColumn;
    Column lastColumn;
};
struct Chart {
    ChartKind kind = ChartKind::Line;
    std::string title;
    std::string sheetName;
    std::vector<ChartSeries> series;
};
std::string chartXml(const Chart& chart);
// The chart's frame, 480 x 288 pixels from the top left of cell (row,
// column) over cells of the default size.
std::string drawingXml(Row row, Column column);

}  // namespace sormel::xlsx
