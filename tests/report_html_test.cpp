// The web page's data block: the JSON report as it is, the columns as the
// CSV has them, and no way for a name to leave the block or the title.
#include <gtest/gtest.h>

#include <istream>
#include <utility>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "engine/deck_format.h"
#include "export/json_tables.h"
#include "export/text_pipe.h"
#include "export/report_writer.h"

namespace sormel {
namespace {

using Json = nlohmann::ordered_json;

const std::string kScriptName = "</script><script>alert(1)</script>";
const std::string kImageName = "<img src=x onerror=alert(2)>";

ReportData hostileReport(bool typed) {
    ReportData data{.report = {.deckCount = 2, .copyLimit = 2, .sideCounted = false},
                    .files = {"a.txt", "<b>.txt"},
                    .folder = "/decks/<!--大会-->&\"'",
                    .date = "2024-05-06 07:08"};
    data.report.cards = {
        {.number = kScriptName, .name = kImageName, .decks = 2, .copies = 3, .adoption = 10000, .usage = 7500,
         .avgCopies = 150, .mainDecks = 2, .mainCopies = 3, .split = {1, 1, 0, 0}},
        {.number = "002", .name = "ｶｰﾄﾞ\xFF", .decks = 1, .copies = 1, .adoption = 5000, .usage = 2500,
         .avgCopies = 100, .mainDecks = 1, .mainCopies = 1, .split = {1, 0, 0, 1}},
    };
    if (typed) {
        data.byFolder = true;
        data.types = {{.name = "</SCRIPT >", .decks = 2, .share = 10000, .report = data.report}};
        data.deckList = {{.file = "a.txt", .type = "</SCRIPT >"}};
    }
    return data;
}

// The text of the page's data block.
std::string dataBlock(const std::string& page) {
    const std::string open = "<script type=\"application/json\" id=\"report-data\">";
    const std::size_t start = page.find(open);
    EXPECT_NE(start, std::string::npos);
    const std::size_t from = start + open.size();
    return page.substr(from, page.find("</script>", from) - from);
}

TEST(ReportHtml, TheDataBlockHoldsTheJsonReportAndTheCsvColumns) {
    for (const bool typed : {false, true}) {
        for (const bool compared : {false, true}) {
            ReportData data = hostileReport(typed);
            if (compared) data.baseline = BaselineInfo{.decks = 4, .folder = "<old>"};
            const std::string page = formatReportHtml(data);
            const std::string block = dataBlock(page);
            EXPECT_EQ(block.find('<'), std::string::npos);
            const Json parsed = Json::parse(block);
            EXPECT_EQ(parsed["report"], Json::parse(packedJson(formatReportJson(data))));

            std::vector<std::string> headers;
            for (const Json& column : parsed["page"]["columns"]) headers.push_back(column["header"]);
            std::vector<std::string> expected;
            for (const ReportColumn& column : reportColumns({.copyLimit = 2, .compared = compared})) {
                expected.push_back(column.header);
            }
            EXPECT_EQ(headers, expected);
            EXPECT_EQ(parsed["page"]["columns"][4], Json::parse(R"j({"key":"adoption","group":"","header":"採用(%)",
                                                                   "kind":"rate"})j"));
            EXPECT_EQ(parsed["page"]["columns"][7 + 4], Json::parse(R"j({"key":"1","group":"split","header":"1枚",
                                                                       "kind":"count"})j"));
            EXPECT_EQ(parsed["page"]["conditions"][0], Json::parse(R"j(["デッキ数","2"])j"));
        }
    }
}

TEST(ReportHtml, NamesCannotLeaveTheDataBlockOrTheTitle) {
    const std::string page = formatReportHtml(hostileReport(true));
    // Only the page's own two script elements close, and nothing opens a
    // comment or an element from the data.
    std::size_t closings = 0;
    for (std::size_t at = page.find("</script"); at != std::string::npos; at = page.find("</script", at + 1)) {
        ++closings;
    }
    EXPECT_EQ(closings, 2u);
    EXPECT_EQ(page.find("</SCRIPT"), std::string::npos);
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("<!--"), std::string::npos);
    EXPECT_NE(page.find("<title>カード使用率 /decks/&lt;!--大会--&gt;&amp;&quot;&#39;</title>"), std::string::npos);
    // Text that is not UTF-8 arrives as U+FFFD, as in the JSON report.
    EXPECT_NE(page.find("\"ｶｰﾄﾞ\xEF\xBF\xBD\""), std::string::npos);
}

// Arrays of objects become tables; objects within them are spread by path;
// anything else stays as it is.
TEST(JsonTables, ArraysOfObjectsBecomeTablesWithTheirNamesOnce) {
    const std::string json = R"j({"cards":[{"n":"a","split":{"1":2,"over":0},"change":null},
                                             {"n":"b","split":{"1":3,"over":1},"extra":[{"p":1},{"p":2.5}]},
                                             {"n":"c","split":{}}],
                                   "one":[{"x":1}], "mixed":[{"x":[1]},[{"y":{}}],"<"], "plain":[1,"<",{"y":{}}],
                                   "empty":[], "top":{"z":{"w":true}}})j";
    EXPECT_EQ(Json::parse(packedJson(json)), Json::parse(R"j({
        "cards":{"$packed":[["a",2,0,null],
                            ["b",3,1,null,{"$packed":[[1],[2.5]],"$names":["p"]}],
                            ["c",null,null,null,null,{}]],
                 "$names":["n","split\u001f1","split\u001fover","change","extra","split"]},
        "one":{"$packed":[[1]],"$names":["x"]},
        "mixed":{"$packed":[[[1]],{"$value":{"$packed":[[{}]],"$names":["y"]}},{"$value":"<"}],"$names":["x"]},
        "plain":[1,"<",{"y":{}}], "empty":[], "top":{"z":{"w":true}}})j"));
    EXPECT_THROW(packedJson("{"), std::exception);
    EXPECT_THROW(packedJson("[1] 2"), std::exception);
}

// The packed text comes in pieces as it is made, and a reader and a writer
// stop each other when one fails.
TEST(JsonTables, ALongDocumentIsPackedInPiecesBesideItsWriting) {
    std::size_t pieces = 0;
    std::string packed;
    readWhileWriting(
        [](ByteSink& json) {
            std::string elements = "[";
            for (int i = 0; i < 20000; ++i) {
                elements += std::string(i ? "," : "") + R"({"card":"c)" + std::to_string(i) + R"(","n":1})";
                if (elements.size() > 4096) json.write(std::exchange(elements, ""));
            }
            json.write(elements + "]");
        },
        [&](std::istream& json) {
            packJson(json, [&](std::string_view piece) {
                ++pieces;
                packed += piece;
            });
        });
    EXPECT_GT(pieces, 3u);
    const Json table = Json::parse(packed);
    EXPECT_EQ(table["$names"], Json::array({"card", "n"}));
    ASSERT_EQ(table["$packed"].size(), 20000u);
    EXPECT_EQ(table["$packed"][19999], Json::array({"c19999", 1}));

    const auto failingWriter = [](ByteSink& json) {
        json.write("[1,");
        throw std::runtime_error("disk gone");
    };
    const auto reader = [](std::istream& json) { packJson(json, [](std::string_view) {}); };
    EXPECT_THROW(
        try { readWhileWriting(failingWriter, reader); } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "disk gone");
            throw;
        },
        std::runtime_error);
    const auto endlessWriter = [](ByteSink& json) {
        json.write("[");
        std::string elements;
        for (int i = 0; i < 500; ++i) elements += "{\"a\":1},";
        for (;;) json.write(elements);
    };
    const auto failingReader = [](std::istream& json) {
        packJson(json, [](std::string_view) { throw std::runtime_error("sink full"); });
    };
    EXPECT_THROW(readWhileWriting(endlessWriter, failingReader), std::runtime_error);
}

TEST(ReportConditions, TheWorkbookAndThePageListTheSameConditions) {
    ReportData data = hostileReport(false);
    data.baseline = BaselineInfo{.decks = 4, .folder = "old"};
    data.filesByFormat.assign(kDeckFormatCount, 0);
    data.filesByFormat[static_cast<std::size_t>(DeckFormat::Native)] = 8;
    data.filesByFormat[static_cast<std::size_t>(DeckFormat::Csv)] = 2;
    const Json conditions = Json::parse(dataBlock(formatReportHtml(data)))["page"]["conditions"];
    EXPECT_EQ(conditions, Json::parse(R"j([["デッキ数","2"],["上限枚数","2"],["サイド含む","いいえ"],["並び順","デッキ数"],
        ["サブフォルダーでタイプ分け","いいえ"],["フォルダー","/decks/\u003c!--大会--\u003e&\"'"],
        ["前回フォルダー","old"],["前回デッキ数","4"],["集計日時","2024-05-06 07:08"],
        ["読み込み形式","native 8, csv 2"]])j"));
}

}  // namespace
}  // namespace sormel
