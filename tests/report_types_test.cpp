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


}  // namespace
}  // namespace sormel
