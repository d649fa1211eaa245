// Reports with deck types, a baseline to compare with and average decks:
// the CSV's type column and comparison columns, the workbook's extra
// sheets, and the names those sheets get.
#include <gtest/gtest.h>

#include "export/report_writer.h"
#include "export/sheet_names.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;

CardChange kept(std::int64_t before, std::int64_t change, std::int64_t avgBefore, std::int64_t avgChange,
                std::size_t rank, std::size_t rankBefore) {
    return {CardStatus::Kept, before, change, avgBefore, avgChange, rank, rankBefore};
}
CardChange added(std::int64_t change, std::size_t rank) {
    return {CardStatus::New, 0, change, std::nullopt, std::nullopt, rank, std::nullopt};
}
CardChange gone(std::int64_t before, std::int64_t avgBefore, std::size_t rankBefore) {
    return {CardStatus::Dropped, before, -before, avgBefore, std::nullopt, std::nullopt, rankBefore};
}

CardFigures card(const char* number, const char* name, std::int32_t decks, std::int32_t copies, std::int64_t adoption,
                 std::int64_t usage, std::vector<std::int64_t> split, CardChange change) {
    CardFigures figures{.number = number, .name = name, .decks = decks, .copies = copies, .adoption = adoption,
                        .usage = usage, .mainDecks = decks, .mainCopies = copies, .sideDecks = 0, .sideCopies = 0,
                        .split = std::move(split), .change = change};
    if (decks > 0) figures.avgCopies = copies * 100 / decks;
    return figures;
}

CardFigures goneCard(CardChange change) {
    return {.number = "003", .name = "う", .sideDecks = 0, .sideCopies = 0, .split = {0, 0, 0, 0}, .change = change};
}

// Six decks against four last time, a copy limit of 2, two types: one new
// since the baseline (every card 新規) and one whose name is a fixed sheet's.
ReportData typedReport() {
    ReportData data{.report = {.deckCount = 6, .copyLimit = 2, .sideCounted = true},
                    .baseline = BaselineInfo{.decks = 4, .folder = "/decks/先月"},
                    .byFolder = true,
                    .files = {"速攻/a.txt"},
                    .folder = "/decks/今月",
                    .date = "2024-06-01 10:00"};
    data.report.cards = {
        card("001", "あ", 5, 9, 8333, 7500, {1, 4, 0, 0}, kept(10000, -1667, 200, -20, 1, 1)),
        card("002", "い", 2, 2, 3333, 1667, {2, 0, 0, 0}, added(3333, 2)),
        goneCard(gone(5000, 150, 2)),
    };
    data.report.averageDeck = AverageDeckFigures{.main = {{"001", "あ", 2}, {"002", "い", 1}},
                                                 .side = std::vector<AverageDeckLine>{{"002", "い", 1}}};
    TypeReport fast{.name = "速攻/コントロール", .decks = 4, .share = 6667,
                    .report = {.deckCount = 4, .copyLimit = 2, .sideCounted = true}};
    fast.report.cards = {card("001", "あ", 4, 7, 10000, 8750, {1, 3, 0, 0}, added(10000, 1))};
    fast.report.averageDeck = AverageDeckFigures{.main = {{"001", "あ", 2}}, .side = std::vector<AverageDeckLine>{}};
    TypeReport named{.name = "集計", .decks = 2, .share = 3333,
                     .report = {.deckCount = 2, .copyLimit = 2, .sideCounted = true}};
    named.report.cards = {
        card("002", "い", 2, 2, 10000, 5000, {2, 0, 0, 0}, added(10000, 1)),
        card("001", "あ", 1, 2, 5000, 5000, {0, 1, 0, 0}, kept(10000, -5000, 200, 0, 2, 1)),
        goneCard(gone(5000, 100, 2)),
    };
    data.types = {fast, named};
    return data;
}

const std::string kCardColumns =
    "\"No.\",\"カード名称\",\"デッキ\",\"枚数\",\"採用(%)\",\"使用(%)\",\"平均採用枚数\",\"メインデッキ\","
    "\"メイン枚数\",\"サイドデッキ\",\"サイド枚数\",\"1枚\",\"2枚\",\"3枚以上\",\"0枚以下\"";
const std::string kComparisonColumns =
    ",\"前回採用(%)\",\"採用増減(pt)\",\"前回平均採用枚数\",\"平均採用枚数増減\",\"順位\",\"前回順位\",\"状態\"\r\n";

TEST(ReportCsvTypes, OverallRowsThenOneBlockPerTypeWithTheComparisonAndEmptyFieldsForMissingValues) {
    EXPECT_EQ(formatReportCsv(typedReport()),
              "\xEF\xBB\xBF\"デッキタイプ\"," + kCardColumns + kComparisonColumns +
                  "\"全体\",\"001\",\"あ\",5,9,83.33,75,1.8,5,9,0,0,1,4,0,0,100,-16.67,2,-0.2,1,1,\"\"\r\n"
                  "\"全体\",\"002\",\"い\",2,2,33.33,16.67,1,2,2,0,0,2,0,0,0,0,33.33,,,2,,\"新規\"\r\n"
                  "\"全体\",\"003\",\"う\",0,0,0,0,,0,0,0,0,0,0,0,0,50,-50,1.5,,,2,\"消滅\"\r\n"
                  "\"速攻/コントロール\",\"001\",\"あ\",4,7,100,87.5,1.75,4,7,0,0,1,3,0,0,0,100,,,1,,\"新規\"\r\n"
                  "\"集計\",\"002\",\"い\",2,2,100,50,1,2,2,0,0,2,0,0,0,0,100,,,1,,\"新規\"\r\n"
                  "\"集計\",\"001\",\"あ\",1,2,50,50,2,1,2,0,0,0,1,0,0,100,-50,2,0,2,1,\"\"\r\n"
                  "\"集計\",\"003\",\"う\",0,0,0,0,,0,0,0,0,0,0,0,0,50,-50,1,,,2,\"消滅\"\r\n");
}

TEST(ReportCsvTypes, EachAdditionBringsOnlyItsOwnColumns) {
    ReportData data = typedReport();
    data.byFolder = false;  // the types are not written without their column
    const std::string comparisonOnly = formatReportCsv(data);
    EXPECT_EQ(comparisonOnly.substr(0, 3 + kCardColumns.size() + kComparisonColumns.size()),
              "\xEF\xBB\xBF" + kCardColumns + kComparisonColumns);
    EXPECT_EQ(comparisonOnly.find("速攻"), std::string::npos);
    EXPECT_NE(comparisonOnly.find("\r\n\"003\",\"う\",0,0,0,0,,0,0,0,0,0,0,0,0,50,-50,1.5,,,2,\"消滅\"\r\n"),
              std::string::npos);

    data = typedReport();
    data.baseline.reset();
    const std::string typesOnly = formatReportCsv(data);
    EXPECT_EQ(typesOnly.substr(0, typesOnly.find("\r\n") + 2), "\xEF\xBB\xBF\"デッキタイプ\"," + kCardColumns + "\r\n");
    EXPECT_NE(typesOnly.find("\r\n\"速攻/コントロール\",\"001\",\"あ\",4,7,100,87.5,1.75,4,7,0,0,1,3,0,0\r\n"),
              std::string::npos);
}


// The workbook unzipped, and its cells read back.
class ReportXlsxTypes : public ::testing::Test {
protected:
    void SetUp() override { write(typedReport()); }
    void write(const ReportData& data) {
        ScratchFolder::writeInto(book, formatReportXlsx(data));
    }
    std::string member(const std::string& name) {
        const auto result = testing::runProgram("unzip -p " + testing::shellQuoted(book) + " '" + name + "'", scratch);
        EXPECT_EQ(result.status, 0) << name << ": " << result.err;
        return result.out;
    }
    // The cell's XML, empty when the sheet has no such cell.
    static std::string cellXml(const std::string& sheet, const std::string& ref) {
        const std::size_t at = sheet.find("<c r=\"" + ref + "\"");
        if (at == std::string::npos) return {};
        const std::size_t tagEnd = sheet.find('>', at);
        if (sheet[tagEnd - 1] == '/') return sheet.substr(at, tagEnd + 1 - at);
        return sheet.substr(at, sheet.find("</c>", at) + 4 - at);
    }
    // What the cell holds: its number as written, or its text; "-" when
    // there is no value.
    std::string cell(const std::string& sheet, const std::string& ref) const {
        const std::string xml = cellXml(sheet, ref);
        if (xml.find(" t=\"inlineStr\"") != std::string::npos) {
            const std::size_t text = xml.find('>', xml.find("<t")) + 1;
            return xml.substr(text, xml.find("</t>", text) - text);
        }
        const std::size_t start = xml.find("<v>");
        if (start == std::string::npos) return "-";
        return xml.substr(start + 3, xml.find("</v>") - start - 3);
    }
    std::vector<std::string> row(const std::string& sheet, int number, const std::string& columns) const {
        std::vector<std::string> values;
        for (const char column : columns) values.push_back(cell(sheet, column + std::to_string(number)));
        return values;
    }

    std::vector<std::string> sheetNames() {
        const std::string workbook = member("xl/workbook.xml");
        std::vector<std::string> names;
        for (std::size_t at = workbook.find("<sheet name=\""); at != std::string::npos;
             at = workbook.find("<sheet name=\"", at + 1)) {
            const std::size_t start = at + 13;
            names.push_back(workbook.substr(start, workbook.find('"', start) - start));
        }
        return names;
    }

    ScratchFolder scratch;
    std::filesystem::path book = scratch.path() / "book.xlsx";
};

using Cells = std::vector<std::string>;

TEST_F(ReportXlsxTypes, SheetsComeInOrderWithValidUniqueNamesForTheTypes) {
    EXPECT_EQ(sheetNames(), (Cells{"集計", "デッキタイプ", "デッキ一覧", "速攻_コントロール", "集計 (2)", "平均デッキ", "条件"}));
}

TEST_F(ReportXlsxTypes, DeckListSheetHoldsEachDecksTypeHowAndSimilarity) {
    ReportData data = typedReport();
    data.deckList = {{"a/1.txt", "速攻/コントロール", TypingWay::Folder, 0},
                     {"2.txt", "集計", TypingWay::Similar, 0.70710678}};
    write(data);
    const std::string list = member("xl/worksheets/sheet3.xml");
    EXPECT_EQ(row(list, 1, "ABCD"), (Cells{"ファイル", "デッキタイプ", "判定", "類似度"}));
    EXPECT_EQ(row(list, 2, "ABCD"), (Cells{"a/1.txt", "速攻/コントロール", "folder", "-"}));
    EXPECT_EQ(row(list, 3, "ABCD"), (Cells{"2.txt", "集計", "similar", "0.7071"}));
}

TEST_F(ReportXlsxTypes, WithoutBaselineTypesOrAverageDeckOnlyTheTwoSheetsAndTheCardColumnsRemain) {
    ReportData data = typedReport();
    data.baseline.reset();
    data.byFolder = false;
    data.report.averageDeck.reset();
    write(data);
    EXPECT_EQ(sheetNames(), (Cells{"集計", "条件"}));
    const std::string all = member("xl/worksheets/sheet1.xml");
    EXPECT_NE(all.find("<autoFilter ref=\"A1:O4\"/>"), std::string::npos);
    EXPECT_EQ(row(all, 2, "AOP"), (Cells{"001", "0", "-"}));
    const std::string conditions = member("xl/worksheets/sheet2.xml");
    EXPECT_EQ(row(conditions, 6, "AB"), (Cells{"サブフォルダーでタイプ分け", "いいえ"}));
    EXPECT_EQ(row(conditions, 8, "AB"), (Cells{"集計日時", "2024-06-01 10:00"}));
}

TEST_F(ReportXlsxTypes, CardSheetsHoldTheComparisonWithChangesInTheAdoptionsFormat) {
    const std::string all = member("xl/worksheets/sheet1.xml");
    EXPECT_NE(all.find("<autoFilter ref=\"A1:V4\"/>"), std::string::npos);
    EXPECT_EQ(row(all, 1, "PQRSTUV"),
              (Cells{"前回採用(%)", "採用増減(pt)", "前回平均採用枚数", "平均採用枚数増減", "順位", "前回順位", "状態"}));
    EXPECT_EQ(row(all, 2, "ABEGPQRSTUV"), (Cells{"001", "あ", "0.8333", "1.8", "1", "-0.1667", "2", "-0.2", "1", "1", "-"}));
    EXPECT_EQ(row(all, 3, "ABPQRSTUV"), (Cells{"002", "い", "0", "0.3333", "-", "-", "2", "-", "新規"}));
    EXPECT_EQ(row(all, 4, "ABCEGPQRSTUV"),
              (Cells{"003", "う", "0", "0", "-", "0.5", "-0.5", "1.5", "-", "-", "2", "消滅"}));
    // Rates and their changes share the percentage format, averages the two-decimal one.
    EXPECT_EQ(cellXml(all, "Q2"), "<c r=\"Q2\" s=\"2\"><v>-0.1667</v></c>");
    EXPECT_EQ(cellXml(all, "E2").substr(0, 16), "<c r=\"E2\" s=\"2\">");
    EXPECT_EQ(cellXml(all, "S2"), "<c r=\"S2\" s=\"3\"><v>-0.2</v></c>");
    EXPECT_EQ(cellXml(all, "A2").find(" t=\"inlineStr\""), 9u);  // the card number as text

    const std::string named = member("xl/worksheets/sheet5.xml");
    EXPECT_NE(named.find("<autoFilter ref=\"A1:V4\"/>"), std::string::npos);
    EXPECT_EQ(row(named, 2, "ACEPQTV"), (Cells{"002", "2", "1", "0", "1", "1", "新規"}));
    EXPECT_EQ(row(named, 3, "ACEPQRSTUV"), (Cells{"001", "1", "0.5", "1", "-0.5", "2", "0", "2", "1", "-"}));
    EXPECT_EQ(row(named, 4, "AUV"), (Cells{"003", "2", "消滅"}));
    EXPECT_EQ(row(member("xl/worksheets/sheet4.xml"), 2, "ACFGQV"), (Cells{"001", "4", "0.875", "1.75", "1", "新規"}));
}

TEST_F(ReportXlsxTypes, TypeSheetHoldsDecksAndShares) {
    const std::string types = member("xl/worksheets/sheet2.xml");
    EXPECT_EQ(row(types, 1, "ABC"), (Cells{"デッキタイプ", "デッキ数", "シェア"}));
    EXPECT_EQ(row(types, 2, "ABC"), (Cells{"速攻/コントロール", "4", "0.6667"}));
    EXPECT_EQ(row(types, 3, "ABC"), (Cells{"集計", "2", "0.3333"}));
    EXPECT_EQ(cellXml(types, "C3"), "<c r=\"C3\" s=\"2\"><v>0.3333</v></c>");
    EXPECT_EQ(cell(types, "A4"), "-");
}

TEST_F(ReportXlsxTypes, AverageDeckSheetListsMainThenSideOfEachDeck) {
    const std::string decks = member("xl/worksheets/sheet6.xml");
    EXPECT_EQ(row(decks, 1, "ABCDE"), (Cells{"デッキタイプ", "区分", "カード番号", "カード名称", "枚数"}));
    EXPECT_EQ(row(decks, 2, "ABCDE"), (Cells{"全体", "メイン", "001", "あ", "2"}));
    EXPECT_EQ(row(decks, 3, "ABCDE"), (Cells{"全体", "メイン", "002", "い", "1"}));
    EXPECT_EQ(row(decks, 4, "ABCDE"), (Cells{"全体", "サイド", "002", "い", "1"}));
    EXPECT_EQ(row(decks, 5, "ABCDE"), (Cells{"速攻/コントロール", "メイン", "001", "あ", "2"}));
    EXPECT_EQ(cell(decks, "A6"), "-");  // an empty side part and a type without an average deck add nothing
    EXPECT_NE(cellXml(decks, "C2").find(" t=\"inlineStr\""), std::string::npos);
}

TEST_F(ReportXlsxTypes, ConditionsNameTheBaselineAndTheTypeSetting) {
    const std::string conditions = member("xl/worksheets/sheet7.xml");
    EXPECT_EQ(row(conditions, 6, "AB"), (Cells{"サブフォルダーでタイプ分け", "はい"}));
    EXPECT_EQ(row(conditions, 7, "AB"), (Cells{"フォルダー", "/decks/今月"}));
    EXPECT_EQ(row(conditions, 8, "AB"), (Cells{"前回フォルダー", "/decks/先月"}));
    EXPECT_EQ(row(conditions, 9, "AB"), (Cells{"前回デッキ数", "4"}));
    EXPECT_EQ(row(conditions, 10, "AB"), (Cells{"集計日時", "2024-06-01 10:00"}));
}

TEST_F(ReportXlsxTypes, ResultsGoOnTheCardAndTypeSheetsButNotOnEachTypesCardsAndTheConditionsNameTheirSource) {
    ReportData data = typedReport();
    data.baseline.reset();
    data.results = ResultsSummary{.decksWithResult = 5, .decksWithPlace = 4, .top = 4, .minDecks = 3,
                                  .file = "/decks/成績.csv"};
    data.report.cards[0].results = ResultFigures{.resultDecks = 4, .winRate = 6250, .winRateLow = 4095,
                                                 .winRateHigh = 8002, .winRateWithout = 4167, .topDecks = 3,
                                                 .topAdoption = 7500, .conversion = 131};
    data.report.cards[1].results = ResultFigures{.winRateWithout = 5000, .topAdoption = 0, .smallSample = true};
    data.types[0].results = ResultFigures{.resultDecks = 2, .winRate = 6000, .topDecks = 1, .conversion = 88};
    write(data);
    const std::string all = member("xl/worksheets/sheet1.xml");
    EXPECT_EQ(row(all, 1, "OPQRSTUVW"), (Cells{"0枚以下", "成績デッキ", "勝率(%)", "下限(%)", "上限(%)", "非採用勝率(%)",
                                               "上位デッキ", "上位採用(%)", "上位進出率"}));
    EXPECT_EQ(row(all, 2, "PQRSTUVW"), (Cells{"4", "0.625", "0.4095", "0.8002", "0.4167", "3", "0.75", "1.31"}));
    EXPECT_EQ(row(all, 3, "PQRSTUVW"), (Cells{"0", "-", "-", "-", "0.5", "0", "0", "-"}));
    EXPECT_EQ(cell(member("xl/worksheets/sheet4.xml"), "P1"), "-");
    const std::string types = member("xl/worksheets/sheet2.xml");
    EXPECT_EQ(row(types, 1, "CDEK"), (Cells{"シェア", "成績デッキ", "勝率(%)", "上位進出率"}));
    EXPECT_EQ(row(types, 2, "DEFIK"), (Cells{"2", "0.6", "-", "1", "0.88"}));
    EXPECT_EQ(row(types, 3, "D"), (Cells{"-"}));  // a type without results figures
    const std::string conditions = member("xl/worksheets/sheet7.xml");
    EXPECT_EQ(row(conditions, 8, "AB"), (Cells{"成績ファイル", "/decks/成績.csv"}));
    EXPECT_EQ(row(conditions, 9, "AB"), (Cells{"成績のあるデッキ数", "5"}));
    EXPECT_EQ(row(conditions, 10, "AB"), (Cells{"順位のあるデッキ数", "4"}));
    EXPECT_EQ(row(conditions, 11, "AB"), (Cells{"上位とする順位（T）", "4"}));
    EXPECT_EQ(row(conditions, 12, "AB"), (Cells{"少数サンプルの基準デッキ数（M）", "3"}));
    EXPECT_EQ(row(conditions, 13, "AB"), (Cells{"集計日時", "2024-06-01 10:00"}));
}

}  // namespace
}  // namespace sormel
