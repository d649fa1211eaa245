// The small texts of a workbook's XML: cell names (A1, $A$1:$C$5), sheet
// names in formulas, escaped text and numbers as Excel's own files write
// them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sormel::xlsx {

using Row = std::uint32_t;     // from 0; Excel's rows 1 to 1,048,576
using Column = std::uint16_t;  // from 0; Excel's columns A to XFD

inline constexpr Row kRowLimit = 1'048'576;
inline constexpr Column kColumnLimit = 16'384;

// "A" for column 0, "AA" for 26; with `absolute`, "$A".
void appendColumnName(std::string& out, Column column, bool absolute = false);
// The letters written at `out`, which has room for three; returns the end.
char* writeColumnName(char* out, Column column);
// "B3" for row 2, column 1; with `absolute`, "$B$3".
void appendCellName(std::string& out, Row row, Column column, bool absolute = false);
// "A1:C5", or the one cell "A1" when the range is one cell.
std::string rangeName(Row firstRow, Column firstColumn, Row lastRow, Column lastColumn, bool absolute = false);

// A sheet's name as a formula refers to it: in quotes (a quote doubled)
// unless it holds only ASCII letters, digits, '_' and '.'.
std::string quotedSheetName(std::string_view name);

// Text inside an element: &, < and > escaped.
void appendXmlText(std::string& out, std::string_view text);
// Text of an attribute: also " and line feeds.
void appendXmlAttribute(std::string& out, std::string_view text);

// A number with 16 significant digits as printf's "%.16G" writes it in the
// C locale, whatever the program's locale.
void appendNumber(std::string& out, double value);
// The same written at `out`, which has room for kNumberRoom bytes; returns
// the end.
inline constexpr std::size_t kNumberRoom = 32;
char* writeNumber(char* out, double value);

// writeNumber with the texts of numbers that are not whole remembered: a
// report writes the same rates over and over, and the text of such a
// number takes long to make.
class NumberTexts {
public:
    char* write(char* out, double value);

private:
    struct Entry {
        std::uint64_t bits = 0;  // 0 (a whole number) for none
        std::uint8_t size = 0;
        char text[23];           // "-1.234567890123456E-308" at the longest
    };
    std::vector<Entry> entries_ = std::vector<Entry>(4096);
};

// A column width in characters as a sheet stores it: rounded to whole
// pixels of the default font (7 pixels a digit, 5 of padding) and then to
// 1/256 of a digit.
double storedColumnWidth(double characters);

}  // namespace sormel::xlsx
