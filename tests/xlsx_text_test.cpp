// The small texts of the workbook writer, where a slip would make a file
// Excel repairs or reads differently.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "export/xlsx_book.h"
#include "export/xlsx_deflater.h"
#include "export/xlsx_text.h"
#include "export/xlsx_zip.h"
#include "test_support.h"

namespace sormel::xlsx {
namespace {

// As glibc's printf("%.16G") writes them, which the workbooks always held,
// on every system and in every locale.
TEST(XlsxText, NumbersHaveSixteenSignificantDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {{0.0, "0"}, {-0.0, "-0"}, {1.0, "1"}, {-1.0, "-1"}, {0.1 + 0.2, "0.3"},
                 {0.0695, "0.06950000000000001"}, {1.0 / 3, "0.3333333333333333"}, {2.4, "2.4"},
                 {-0.1667, "-0.1667"}, {1e15, "1000000000000000"}, {1e15 + 1, "1000000000000001"},
                 {1e16, "1E+16"}, {1.5e16, "1.5E+16"}, {1e-5, "1E-05"}, {-2.5e-7, "-2.5E-07"}, {1e300, "1E+300"},
                 {5e-324, "4.940656458412465E-324"}, {99999.995, "99999.995"},
                 {1234567890123456789.0, "1.234567890123457E+18"},
                 {std::numeric_limits<double>::infinity(), "INF"}};
    NumberTexts remembered;
    for (int round = 0; round < 2; ++round) {
        for (const auto& c : cases) {
            std::string made;
            appendNumber(made, c.value);
            EXPECT_EQ(made, c.text) << c.value;
            char text[kNumberRoom];
            EXPECT_EQ(std::string(text, remembered.write(text, c.value)), c.text) << c.value;
        }
    }
    // Far more rates than there is room for: each text is still its own.
    for (int round = 0; round < 2; ++round) {
        for (int hundredths = -3; hundredths < 30000; hundredths += 7) {
            const double value = hundredths / 10000.0;
            std::string made;
            appendNumber(made, value);
            char text[kNumberRoom];
            ASSERT_EQ(std::string(text, remembered.write(text, value)), made) << value;
        }
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

// A part made of pieces deflated apart on several threads, while another
// part's pieces are under way too, unzips to the bytes given.
TEST(XlsxZip, PiecesDeflatedApartJoinIntoOnePartThatUnzips) {
    std::string rows;
    for (int i = 0; i < 40000; ++i) rows += "<row r=\"" + std::to_string(i) + "\"><c><v>" + std::to_string(i * 7) + "</v></c></row>";
    const std::string head = "<?xml?>\n<sheetData>";
    const std::string tail = "</sheetData>";
    std::vector<std::unique_ptr<DeflatedPiece>> first;
    std::vector<std::unique_ptr<DeflatedPiece>> second;
    {
        RowDeflater deflater(3);
        RowDeflater::Batch firstUnderWay;
        RowDeflater::Batch secondUnderWay;
        std::string buffer;
        for (std::size_t at = 0; at < rows.size(); at += 70000) {
            first.push_back(std::make_unique<DeflatedPiece>());
            buffer = deflater.add(firstUnderWay, *first.back(), rows.substr(at, 70000));
            second.push_back(std::make_unique<DeflatedPiece>());
            buffer = deflater.add(secondUnderWay, *second.back(), "x");
        }
        deflater.wait(secondUnderWay);
        for (const auto& piece : second) EXPECT_EQ(piece->size(), 1u);
        deflater.wait(firstUnderWay);
    }
    DeflatedPiece headPiece;
    headPiece.append(head);
    headPiece.finish(false);
    DeflatedPiece tailPiece;
    tailPiece.append(tail);
    tailPiece.finish(true);
    DeflatedPiece end;
    end.finish(true);
    StringSink bytes;
    ZipWriter zip(bytes);
    std::vector<const DeflatedPiece*> sheet{&headPiece};
    for (const auto& piece : first) sheet.push_back(piece.get());
    sheet.push_back(&tailPiece);
    zip.addPart("a/sheet.xml", sheet);
    std::vector<const DeflatedPiece*> text;
    for (const auto& piece : second) text.push_back(piece.get());
    text.push_back(&end);
    zip.addPart("b.txt", text);
    zip.addPart("[c].xml", "small");
    zip.finish();
    testing::ScratchFolder scratch;
    const std::filesystem::path file = scratch.write("t.zip", bytes.take());
    const auto unzipped = testing::runProgram("unzip -p " + testing::shellQuoted(file) + " a/sheet.xml", scratch);
    EXPECT_EQ(unzipped.status, 0) << unzipped.err;
    EXPECT_TRUE(unzipped.out == head + rows + tail) << unzipped.out.size();
    const auto tested = testing::runProgram("unzip -t " + testing::shellQuoted(file), scratch);
    EXPECT_EQ(tested.status, 0) << tested.out;
    EXPECT_NE(tested.out.find("No errors detected"), std::string::npos);
    EXPECT_EQ(testing::runProgram("unzip -p " + testing::shellQuoted(file) + " b.txt", scratch).out,
              std::string(static_cast<std::size_t>((rows.size() + 69999) / 70000), 'x'));
}

}  // namespace
}  // namespace sormel::xlsx

namespace sormel::xlsx {
namespace {

// Sheets far larger than one deflated piece, their last pieces still under
// way when the next sheet begins, and runs of sheets small enough to be
// deflated whole, many deflating at once, come out whole and in order.
TEST(XlsxBook, SheetsLargeAndSmallComeOutWholeAndInOrder) {
    const std::vector<Row> rowsOfSheet = {30000, 30000, 2, 0, 1, 5,  3, 1, 2, 700, 1, 4, 2,
                                          1,     3,     30000, 1, 2, 6, 1, 0, 3, 1, 12000};
    StringSink bytes;
    std::vector<std::string> expected(rowsOfSheet.size());
    {
        Book book(bytes, 0);
        for (std::size_t sheet = 0; sheet < rowsOfSheet.size(); ++sheet) {
            Sheet& written = book.addSheet("s" + std::to_string(sheet));
            for (Row row = 0; row < rowsOfSheet[sheet]; ++row) {
                const auto value = static_cast<double>(row * 100 + sheet);
                written.number(row, 1, value);
                expected[sheet] += "<row r=\"" + std::to_string(row + 1) + "\"><c r=\"B" + std::to_string(row + 1) +
                                   "\"><v>" + std::to_string(row * 100 + sheet) + "</v></c></row>";
            }
        }
        book.close();
    }
    testing::ScratchFolder scratch;
    const std::filesystem::path file = scratch.write("b.xlsx", bytes.take());
    const std::string names = testing::runProgram("unzip -Z1 " + testing::shellQuoted(file), scratch).out;
    std::size_t after = 0;
    for (std::size_t sheet = 0; sheet < rowsOfSheet.size(); ++sheet) {
        const std::string part = "xl/worksheets/sheet" + std::to_string(sheet + 1) + ".xml";
        const std::size_t at = names.find(part + "\n");
        ASSERT_NE(at, std::string::npos) << part;
        EXPECT_GE(at, after) << part << " out of order";
        after = at;
        const auto xml = testing::runProgram("unzip -p " + testing::shellQuoted(file) + " " + part, scratch);
        if (rowsOfSheet[sheet] == 0) {
            EXPECT_NE(xml.out.find("<sheetData/>"), std::string::npos) << part;
            continue;
        }
        const std::size_t rows = xml.out.find("<sheetData>") + 11;
        EXPECT_TRUE(xml.out.compare(rows, expected[sheet].size(), expected[sheet]) == 0) << part;
        EXPECT_EQ(xml.out.substr(rows + expected[sheet].size(), 13), "</sheetData><") << part;
    }
    EXPECT_EQ(testing::runProgram("unzip -t " + testing::shellQuoted(file), scratch).status, 0);
}

}  // namespace
}  // namespace sormel::xlsx
