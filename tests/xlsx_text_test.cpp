// The small texts of the workbook writer, where a slip would make a file
// Excel repairs or reads differently.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "export/xlsx_text.h"

namespace sormel::xlsx {
namespace {

TEST(XlsxText, NumbersAreWhatPrintfsSixteenDigitsWrite) {
    const double values[] = {0,      -0.0,       1,          -1,       0.1 + 0.2, 0.0695,   1.0 / 3,  2.4,
                             0.8333, -0.1667,    123456789,  1e15,     1e16,      1.5e16,   1e-5,     -2.5e-7,
                             1e300,  4.9e-324,   99999.995,  1e15 + 1, 0.30000000000000004, 1234567890123456789.0,
                             std::numeric_limits<double>::infinity()};
    for (const double value : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.16G", value);
        std::string made;
        appendNumber(made, value);
        EXPECT_EQ(made, expected) << value;
    }
}

TEST(XlsxText, CellNamesRangesAndSheetNamesInFormulas) {
    std::string name;
    appendCellName(name, 0, 0);
    appendCellName(name, 9, 25);
    appendCellName(name, 0, 26);
    appendCellName(name, 1'048'575, 16'383, true);
    EXPECT_EQ(name, "A1Z10AA1$XFD$1048576");
    EXPECT_EQ(rangeName(0, 0, 0, 0), "A1");
    EXPECT_EQ(rangeName(0, 0, 6, 15, true), "$A$1:$P$7");
    EXPECT_EQ(quotedSheetName("Sheet_1.a"), "Sheet_1.a");
    EXPECT_EQ(quotedSheetName("集計"), "'集計'");
    EXPECT_EQ(quotedSheetName("it's a"), "'it''s a'");
}

TEST(XlsxText, ColumnWidthsAreRoundedToPixels) {
    EXPECT_EQ(storedColumnWidth(12), 12.7109375);
    EXPECT_EQ(storedColumnWidth(8.43), 9.140625);
    EXPECT_EQ(storedColumnWidth(0.5), 0.85546875);
    std::string escaped;
    appendXmlAttribute(escaped, "a&<>\"\n'");
    appendXmlText(escaped, "&<>\"");
    EXPECT_EQ(escaped, "a&amp;&lt;&gt;&quot;&#xA;'&amp;&lt;&gt;\"");
}

}  // namespace
}  // namespace sormel::xlsx
