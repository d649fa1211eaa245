// An Excel workbook written as it is made: each sheet's rows are deflated
// as they come (on threads of their own) and the sheet goes to the sink
// once they are, so that a workbook of many types and cards is never
// whole in memory. What it writes is what Excel's own files hold
// (the parts and their XML as Excel 2007 writes them); only features the
// reports use are there.
#pragma once

#include <ctime>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/byte_sink.h"
#include "export/xlsx_deflater.h"
#include "export/xlsx_parts.h"
#include "export/xlsx_text.h"
#include "export/xlsx_zip.h"

namespace sormel::xlsx {

// A cell style of the workbook; 0 is the default.
using Style = std::uint16_t;

class Book;

// One sheet. Rows are written top to bottom and the cells of a row left to
// right; a cell written out of that order is a mistake of the caller
// (std::logic_error).
class Sheet {
public:
    // Nothing is written for an empty text without a style.
    void text(Row row, Column column, std::string_view text, Style style = 0);
    void number(Row row, Column column, double value, Style style = 0);
    void columnWidth(Column column, double characters);
    // The first row stays in view.
    void freezeTopRow() { frozen_ = true; }
    void autofilter(Row lastRow, Column lastColumn);
    // One chart per sheet, its top left corner at (row, column).
    void insertChart(Row row, Column column, Chart chart);

private:
    friend class Book;
    Sheet(Book& book, std::size_t index);
    // Writes the cell's opening tag, up to its attributes, at `out`; a new
    // row is started in the rows themselves.
    char* openCell(char* out, Row row, Column column, Style style);
    void passRowsOn(bool last = false);
    void writeTo(ZipWriter& zip, std::size_t chartNumber) const;
    std::string head() const;
    std::string tail() const;

    Book& book_;
    std::size_t index_;
    // The rows in pieces deflated apart, joined in order in the zip; or,
    // when `whole_`, the whole part, head and tail included, in one piece.
    std::vector<std::unique_ptr<DeflatedPiece>> rows_;
    bool whole_ = false;
    RowDeflater::Batch rowsUnderWay_;
    std::string pending_;  // rows not yet deflated
    std::optional<Row> row_;            // the row being written
    std::optional<Column> rowColumn_;   // its last cell so far
    std::string rowDigits_;             // its number as the sheet writes it
    // How far the cells reach, as the sheet's dimension tells.
    Row firstRow_ = kRowLimit;
    Row lastRow_ = 0;
    Column firstColumn_ = kColumnLimit;
    Column lastColumn_ = 0;
    std::vector<double> widths_;  // < 0: not set
    bool frozen_ = false;
    std::optional<SheetFilter> filter_;
    std::optional<Chart> chart_;
    Row chartRow_ = 0;
    Column chartColumn_ = 0;
};

class Book {
public:
    // `created` is the time the document properties give.
    Book(ByteSink& sink, std::time_t created);
    ~Book();
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    Style addStyle(CellStyle style);
    // A sheet after the others. Its name must be a valid sheet name not
    // used yet (any letter case); the sheet before it is written out.
    Sheet& addSheet(const std::string& name);
    // Writes the last sheet and the workbook's other parts.
    void close();

private:
    friend class Sheet;
    std::size_t styleIndex(Style style);
    void finishSheet();
    // Writes the finished sheets, in order, whose rows are all deflated;
    // with `all`, or while too many wait, waits for them.
    void writeFinishedSheets(bool all);

    ZipWriter zip_;
    std::time_t created_;
    std::vector<CellStyle> styles_;
    std::vector<std::size_t> styleIndexes_;  // 0: not used yet
    std::vector<CellStyle> used_;
    std::vector<std::string> names_;
    std::vector<SheetFilter> filters_;
    NumberTexts numbers_;
    std::unique_ptr<Sheet> sheet_;
    // The sheets before it whose last rows are still being deflated, in
    // order; each goes into the zip once its rows are done. A workbook of
    // many small sheets keeps every deflating thread busy this way, rather
    // than waiting for each sheet in turn.
    std::deque<std::unique_ptr<Sheet>> written_;
    std::size_t charts_ = 0;
    bool closed_ = false;
    // Declared last, so that its threads are stopped before the sheets
    // whose rows they deflate go away.
    RowDeflater deflater_;
};

}  // namespace sormel::xlsx
