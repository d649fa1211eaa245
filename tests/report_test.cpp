#include "export/report_writer.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <nlohmann/json.hpp>
#include <iterator>
#include <limits>
#include <stdexcept>

#include "engine/numeric_text.h"
#include "engine/tally_run.h"
#include "test_support.h"

namespace sormel {
namespace {

using Json = nlohmann::ordered_json;
using testing::ScratchFolder;

// Two cards over 6 decks with a limit of 3: one with every column filled,
// and the blank row of a run without card lines.
ReportData sampleReport(bool sideCounted) {
    const auto side = [&](std::int32_t value) { return sideCounted ? std::optional(value) : std::nullopt; };
    ReportData data{.report = {.deckCount = 6, .copyLimit = 3, .sideCounted = sideCounted},
                    .sort = SortChoice::ByCopies,
                    .files = {"a.txt", "b.txt"},
                    .folder = "/decks/大会",
                    .date = "2024-05-06 07:08"};
    data.report.cards = {
        {.number = "001", .name = "say \"hi\"", .decks = 5, .copies = 12, .adoption = 8333, .usage = 6667,
         .avgCopies = 240, .mainDecks = 5, .mainCopies = 10, .sideDecks = side(1), .sideCopies = side(2),
         .split = {1, 2, 1, 1, 0}},
        {.sideDecks = side(0), .sideCopies = side(0), .split = {0, 0, 0, 0, 0}},
    };
    return data;
}

const std::string kHeader =
    "\"No.\",\"カード名称\",\"デッキ\",\"枚数\",\"採用(%)\",\"使用(%)\",\"平均採用枚数\",\"メインデッキ\","
    "\"メイン枚数\",\"サイドデッキ\",\"サイド枚数\",\"1枚\",\"2枚\",\"3枚\",\"4枚以上\",\"0枚以下\"\r\n";

TEST(ReportKind, TheExtensionChoosesTheFormatInAnyLetterCase) {
    EXPECT_EQ(reportKindOf("out/a.csv"), ReportKind::Csv);
    EXPECT_EQ(reportKindOf("A.JSON"), ReportKind::Json);
    EXPECT_EQ(reportKindOf("集計.XlSx"), ReportKind::Xlsx);
    EXPECT_EQ(reportKindOf("web/index.html"), ReportKind::Html);
    EXPECT_EQ(reportKindOf("page.HTM"), ReportKind::Html);
    EXPECT_EQ(reportKindOf("a.txt"), std::nullopt);
    EXPECT_EQ(reportKindOf("a.csv.bak"), std::nullopt);
    EXPECT_EQ(reportKindOf("xlsx"), std::nullopt);
    EXPECT_EQ(reportKindOf("report.json/"), std::nullopt);

    const ReportData data = sampleReport(true);
    EXPECT_EQ(formatReport(ReportKind::Csv, data).substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(formatReport(ReportKind::Json, data).substr(0, 1), "{");
    EXPECT_EQ(formatReport(ReportKind::Xlsx, data).substr(0, 2), "PK");
}

TEST(ReportCsv, HasABomAHeaderAndEveryColumnWithEmptyFieldsForMissingValues) {
    EXPECT_EQ(formatReportCsv(sampleReport(true)),
              "\xEF\xBB\xBF" + kHeader +
                  "\"001\",\"say \"\"hi\"\"\",5,12,83.33,66.67,2.4,5,10,1,2,1,2,1,1,0\r\n"
                  "\"\",\"\",0,0,0,0,,0,0,0,0,0,0,0,0,0\r\n");
    EXPECT_EQ(formatReportCsv(sampleReport(false)),
              "\xEF\xBB\xBF" + kHeader +
                  "\"001\",\"say \"\"hi\"\"\",5,12,83.33,66.67,2.4,5,10,,,1,2,1,1,0\r\n"
                  "\"\",\"\",0,0,0,0,,0,0,,,0,0,0,0,0\r\n");
}

TEST(ReportCsv, TextsASpreadsheetWouldTakeForFormulasGetALeadingApostrophe) {
    const struct {
        std::string text;
        std::string cell;
    } cases[] = {
        {"=1+1", "\"'=1+1\""}, {"+SUM(A1)", "\"'+SUM(A1)\""}, {"-5", "\"'-5\""},
        {"@cmd", "\"'@cmd\""}, {"\tx", "\"'\tx\""},     {"\rx", "\"'\rx\""},
        {"a=b", "\"a=b\""},     {"", "\"\""},                {"'x", "\"'x\""},
    };
    for (const auto& c : cases) {
        ReportData data = sampleReport(true);
        data.report.cards.resize(1);
        data.report.cards[0].number = c.text;
        data.report.cards[0].name = c.text;
        data.report.cards[0].decks = -1;  // a count stays a number
        EXPECT_EQ(formatReportCsv(data), "\xEF\xBB\xBF" + kHeader + c.cell + "," + c.cell +
                                             ",-1,12,83.33,66.67,2.4,5,10,1,2,1,2,1,1,0\r\n")
            << c.text;
    }
}

TEST(ReportJson, HoldsEveryFieldInOrderWithNullsWhereNoValueIsShown) {
    ReportData data = sampleReport(false);
    data.report.cards[0].usage = 10000;
    data.report.cards[0].avgCopies = 50;
    const std::string text = formatReportJson(data);
    const Json json = Json::parse(text);
    const Json expected = Json::parse(R"({
      "decks": 6, "copy_limit": 3, "side_counted": false, "sort": "copies", "files": ["a.txt", "b.txt"],
      "cards": [
        {"number": "001", "name": "say \"hi\"", "decks": 5, "copies": 12, "adoption": 83.33, "usage": 100,
         "avg_copies": 0.5, "main_decks": 5, "main_copies": 10, "side_decks": null, "side_copies": null,
         "split": {"1": 1, "2": 2, "3": 1, "over": 1, "other": 0}},
        {"number": "", "name": "", "decks": 0, "copies": 0, "adoption": 0, "usage": 0,
         "avg_copies": null, "main_decks": 0, "main_copies": 0, "side_decks": null, "side_copies": null,
         "split": {"1": 0, "2": 0, "3": 0, "over": 0, "other": 0}}
      ]})");
    // ordered_json compares objects key by key in order.
    EXPECT_EQ(json, expected) << text;
    EXPECT_TRUE(json["cards"][0]["usage"].is_number_integer());
    EXPECT_TRUE(json["cards"][1]["adoption"].is_number_integer());
    EXPECT_NE(text.find("\"adoption\":83.33,"), std::string::npos);
    EXPECT_NE(text.find("\"avg_copies\":0.5,"), std::string::npos);
}

TEST(ReportJson, InvalidUtf8BecomesTheReplacementCharacter) {
    ReportData data = sampleReport(true);
    data.report.cards[0].name = "ab\xFF" "c";
    data.files = {"\xE3\x81" ".txt"};
    const Json json = Json::parse(formatReportJson(data));
    EXPECT_EQ(json["cards"][0]["name"], "ab\xEF\xBF\xBD" "c");
    EXPECT_EQ(json["files"][0], "\xEF\xBF\xBD.txt");
}

// Every rate prints as its two-decimal value with trailing zeros dropped,
// never as a long binary expansion.
TEST(ReportJson, RatesPrintWithAtMostTwoDecimals) {
    std::vector<std::int64_t> rates;
    for (std::int64_t h = 0; h <= 20000; ++h) rates.push_back(h);
    for (const std::int64_t h : {-1LL, -5LL, -10LL, -12345LL, 99999999LL, 21474836470001LL, 21474836479999LL,
                                 123456789012345LL}) {
        rates.push_back(h);
    }
    ReportData data = sampleReport(true);
    data.report.cards.assign(rates.size(), data.report.cards[1]);
    for (std::size_t i = 0; i < rates.size(); ++i) data.report.cards[i].adoption = rates[i];
    const std::string text = formatReportJson(data);
    std::size_t at = 0;
    for (const std::int64_t h : rates) {
        const std::uint64_t magnitude = static_cast<std::uint64_t>(h < 0 ? -h : h);
        std::string expected = (h < 0 ? "-" : "") + std::to_string(magnitude / 100);
        if (magnitude % 100 != 0) {
            expected += (magnitude % 100 < 10 ? ".0" : ".") + std::to_string(magnitude % 100);
            if (expected.back() == '0') expected.pop_back();
        }
        at = text.find("\"adoption\":", at);
        ASSERT_NE(at, std::string::npos);
        at += 11;
        ASSERT_EQ(text.substr(at, text.find(',', at) - at), expected) << h;
    }
}

TEST(ReportCsv, RatesAndAveragesAreTheirShortestHundredthsAndCountsTheirDigits) {
    const std::int64_t values[] = {0,    1,          5,          10,   50,     99,        100,
                                   101,  1250,       6667,       -1,   -5,     -10,       -100,
                                   -1667, 99999999, 123456789012345678, std::numeric_limits<std::int64_t>::max(),
                                   std::numeric_limits<std::int64_t>::min()};
    ReportData data = sampleReport(true);
    data.report.cards.assign(std::size(values), data.report.cards[0]);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        data.report.cards[i].adoption = values[i];
        data.report.cards[i].avgCopies = values[i];
        data.report.cards[i].usage = 4242;
        data.report.cards[i].decks = static_cast<std::int32_t>(values[i] % 1000000);
    }
    const std::string text = formatReportCsv(data);
    std::size_t at = text.find("\r\n") + 2;
    for (const std::int64_t value : values) {
        const std::string row = text.substr(at, text.find("\r\n", at) - at);
        at += row.size() + 2;
        const std::string rate = shortHundredthsText(value);
        const std::string decks = std::to_string(value % 1000000);
        const std::string start = "\"001\",\"say \"\"hi\"\"\"," + decks + ",12," + rate + ",42.42," + rate + ",5,10,";
        EXPECT_EQ(row.substr(0, start.size()), start) << value;
    }
}

TEST(ReportJson, ARealRunGivesTheRowsItCounted) {
    ScratchFolder folder;
    const std::vector<std::filesystem::path> files = {
        folder.write("1.txt", "2,AB-001,あ\r\n--\r\n1,AB-001,あ\r\n1,AB-002,い\r\n"),
        folder.write("2.txt", "1.5,AB-001,あ\r\n"),
        folder.write("3.txt", "# no cards\r\n"),
    };
    UsageTable table;
    CardAnalysis analysis(3);
    TallyOptions options;
    options.observer = &analysis;
    TallyHost host;
    ASSERT_EQ(runTally(table, DeckFiles::ofPaths(files), options, host).outcome, TallyOutcome::Completed);
    ReportData data;
    data.report = buildCardReport(table, analysis, 3, true);
    data.files = {"1.txt", "2.txt", "3.txt"};
    const Json json = Json::parse(formatReportJson(data));
    EXPECT_EQ(json["decks"], 3);
    EXPECT_EQ(json["sort"], "decks");
    ASSERT_EQ(json["cards"].size(), 2u);
    // AB-001: 3 copies in deck 1 (2 main, 1 side), 1.5 in deck 2; 4.5 in all, shown as 4.
    EXPECT_EQ(json["cards"][0], Json::parse(R"({"number": "AB-001", "name": "あ", "decks": 2, "copies": 4,
        "adoption": 66.67, "usage": 44.44, "avg_copies": 2, "main_decks": 2, "main_copies": 4,
        "side_decks": 1, "side_copies": 1, "split": {"1": 0, "2": 1, "3": 1, "over": 0, "other": 0}})"));
    EXPECT_EQ(json["cards"][1]["number"], "AB-002");
    EXPECT_EQ(json["cards"][1]["side_decks"], 1);
    EXPECT_EQ(json["cards"][1]["main_decks"], 0);
    EXPECT_EQ(json["cards"][1]["adoption"], 33.33);
}

// The workbook goes straight to its sink; each test points TMPDIR at a
// folder of its own to see that nothing is left there.
class ReportXlsx : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = getenv("TMPDIR")) oldTmpdir_ = old;
        std::filesystem::create_directory(scratch.path() / "tmp");
        setenv("TMPDIR", (scratch.path() / "tmp").c_str(), 1);
    }
    void TearDown() override {
        if (oldTmpdir_) {
            setenv("TMPDIR", oldTmpdir_->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }
    // One member of the workbook, unzipped.
    std::string member(const std::string& name) {
        const auto result = testing::runProgram("unzip -p " + testing::shellQuoted(book) + " " + name, scratch);
        EXPECT_EQ(result.status, 0) << name << ": " << result.err;
        return result.out;
    }

    ScratchFolder scratch;
    std::filesystem::path book = scratch.path() / "book.xlsx";

private:
    std::optional<std::string> oldTmpdir_;
};

TEST_F(ReportXlsx, HoldsTheCardsWithTextNumbersPercentagesAFrozenHeaderAndAFilter) {
    ReportData data = sampleReport(false);
    data.report.cards[1].name = "bad\xFF\x01";
    ScratchFolder::writeInto(book, formatReportXlsx(data));
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path() / "tmp"));

    const std::string workbook = member("xl/workbook.xml");
    EXPECT_NE(workbook.find("name=\"集計\""), std::string::npos);
    EXPECT_NE(workbook.find("name=\"条件\""), std::string::npos);
    // Texts are written in the cells themselves (the workbook is built a
    // row at a time).
    const std::string strings = member("xl/worksheets/sheet1.xml") + member("xl/worksheets/sheet2.xml");
    for (const char* text : {"<t>001</t>", "<t>平均採用枚数</t>", "<t>4枚以上</t>", "<t>say \"hi\"</t>",
                             "bad\xEF\xBF\xBD_x0001_", "<t>/decks/大会</t>", "<t>2024-05-06 07:08</t>",
                             "<t>いいえ</t>", "<t>枚数</t>"}) {
        EXPECT_NE(strings.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(strings.find('\xFF'), std::string::npos);
    EXPECT_NE(member("xl/styles.xml").find("formatCode=\"0.00%\""), std::string::npos);

    const std::string cards = member("xl/worksheets/sheet1.xml");
    EXPECT_NE(cards.find("ySplit=\"1\""), std::string::npos);
    EXPECT_NE(cards.find("state=\"frozen\""), std::string::npos);
    EXPECT_NE(cards.find("<autoFilter ref=\"A1:P3\"/>"), std::string::npos);
    EXPECT_NE(cards.find("<c r=\"A2\" t=\"inlineStr\"><is><t>001</t></is></c>"), std::string::npos)
        << cards;  // the card number as text
    EXPECT_NE(cards.find("<c r=\"C2\"><v>5</v></c>"), std::string::npos);
    EXPECT_NE(cards.find("<c r=\"E2\" s=\"2\"><v>0.8333</v></c>"), std::string::npos) << cards;
    EXPECT_NE(cards.find("<c r=\"G2\" s=\"3\"><v>2.4</v></c>"), std::string::npos);
    EXPECT_EQ(cards.find("r=\"G3\""), std::string::npos);  // no average for the blank row
    EXPECT_EQ(cards.find("r=\"J2\""), std::string::npos);  // no side columns
    EXPECT_NE(cards.find("<col "), std::string::npos);

    const std::string conditions = member("xl/worksheets/sheet2.xml");
    EXPECT_NE(conditions.find("<c r=\"B2\"><v>6</v></c>"), std::string::npos);
    EXPECT_NE(conditions.find("<c r=\"B3\"><v>3</v></c>"), std::string::npos);
}

TEST_F(ReportXlsx, TextsStayAsWrittenWhereXmlOrExcelWouldChangeThem) {
    ReportData data = sampleReport(true);
    data.report.cards[0].number = "_x0041_";
    data.report.cards[0].name = "a\xEF\xBF\xBE\xEF\xBF\xBF" "b";
    ScratchFolder::writeInto(book, formatReportXlsx(data));
    const std::string cards = member("xl/worksheets/sheet1.xml");
    // Excel reads _xHHHH_ as a character: the underscore is escaped itself.
    EXPECT_NE(cards.find("<t>_x005F_x0041_</t>"), std::string::npos) << cards;
    // XML cannot hold U+FFFE and U+FFFF.
    EXPECT_NE(cards.find("<t>a\xEF\xBF\xBD\xEF\xBF\xBD" "b</t>"), std::string::npos);
    EXPECT_EQ(cards.find("\xEF\xBF\xBE"), std::string::npos);
    EXPECT_EQ(cards.find("\xEF\xBF\xBF"), std::string::npos);
    // The CSV and the JSON keep them.
    EXPECT_NE(formatReportCsv(data).find("a\xEF\xBF\xBE\xEF\xBF\xBF" "b"), std::string::npos);
    EXPECT_EQ(Json::parse(formatReportJson(data))["cards"][0]["name"], "a\xEF\xBF\xBE\xEF\xBF\xBF" "b");
}

}  // namespace
}  // namespace sormel
