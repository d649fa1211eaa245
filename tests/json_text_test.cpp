// The JSON report's text written straight, held against what nlohmann::json
// dumps for the same values (no indent, UTF-8 kept, invalid UTF-8
// replaced): the report must not change by a byte.
#include <gtest/gtest.h>

#include <limits>
#include <nlohmann/json.hpp>

#include "export/json_cards.h"
#include "export/json_text.h"
#include "export/trend_json.h"

namespace sormel {
namespace {

using Json = nlohmann::ordered_json;

std::string dumped(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

TEST(JsonText, StringsAreWrittenAsTheLibraryDumpsThem) {
    const std::string texts[] = {
        "",
        "Alpha 001",
        "ベータ・ガンマ",
        "quote \" and backslash \\ and slash /",
        std::string("DEL \x7F kept"),
        "line\nbreak\tand\rcarriage\bback\fform",
        std::string("nul \0 and \x01 and \x1F", 17),
        "lone \xFF byte",
        "cut short \xE3\x81",
        "overlong \xC0\x80 and surrogate \xED\xA0\x80",
        "beyond U+10FFFF \xF4\x90\x80\x80",
        "\xEF\xBF\xBF and \xF0\x9F\x83\x8F",
        "\"\\\"",
    };
    for (const std::string& text : texts) {
        std::string out = "x";
        appendJsonString(out, text);
        EXPECT_EQ(out, "x" + dumped(text)) << text;
    }
    std::string key;
    appendJsonKey(key, "split");
    EXPECT_EQ(key, "\"split\":");
}

TEST(JsonText, HundredthsAreWrittenAsTheirNumbers) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    const std::int64_t values[] = {0, 1, 5, 10, 50, 99, 100, 101, 110, 1250, 6667, 10000, 123456,
                                   -1, -5, -10, -99, -100, -101, -1667, -10000, 214748364700,
                                   999'999'999'999'999, 1'000'000'000'000'001, -1'000'000'000'000'001,
                                   123'456'789'012'345'678, kMax, kMin + 1, kMin};
    for (const std::int64_t value : values) {
        std::string out;
        appendJsonHundredths(out, value);
        EXPECT_EQ(out, dumped(hundredthsNumber(value))) << value;
    }
    std::string integers;
    for (const std::int64_t value : {std::int64_t{0}, std::int64_t{-42}, kMax, kMin}) {
        appendJsonInteger(integers, value);
        integers += ' ';
    }
    EXPECT_EQ(integers, "0 -42 " + std::to_string(kMax) + " " + std::to_string(kMin) + " ");
}

// The card as the report made it with nlohmann::json values: a member per
// column, groups as objects in place of their first member.
Json expectedCard(const CardFigures& card, const std::vector<ReportColumn>& columns,
                  const std::vector<PeriodInfo>& periods) {
    Json object = Json::object();
    for (const ReportColumn& column : columns) {
        if (!hasFiguresFor(card, column.presence)) continue;
        Json& parent = column.group.empty() ? object : object[column.group];
        const CellValue value = column.value(card);
        const std::optional<std::int64_t> number = numberIn(value);
        Json& cell = parent[column.key];
        if (column.kind == ColumnKind::Text) {
            cell = std::string(textIn(value));
        } else if (!number) {
            cell = nullptr;
        } else if (column.kind == ColumnKind::Rate || column.kind == ColumnKind::Average) {
            cell = hundredthsNumber(*number);
        } else if (column.kind == ColumnKind::Status) {
            const std::string text = cardStatusText(static_cast<CardStatus>(*number));
            cell = text.empty() ? Json(nullptr) : Json(text);
        } else {
            cell = *number;
        }
    }
    if (card.trend) object["trend"] = cardTrendJson(*card.trend, periods);
    if (card.results) object["small_sample"] = card.results->smallSample;
    return object;
}

TEST(JsonText, CardsHaveTheMembersOfTheirFigures) {
    const std::vector<PeriodInfo> periods{{"春", 4}, {"夏", 6}};
    const CardFigures cards[] = {
        // Kept since the baseline, with results.
        {.number = "001", .name = "Alpha \"A\"", .decks = 5, .copies = 9, .adoption = 8333, .usage = 7500,
         .avgCopies = 180, .mainDecks = 5, .mainCopies = 8, .sideDecks = 1, .sideCopies = 1, .split = {1, 4, 0, 0, 0},
         .change = CardChange{CardStatus::Kept, 10000, -1667, 200, -20, 1, 1},
         .results = ResultFigures{.resultDecks = 4, .winRate = 5500, .winRateLow = 3012, .winRateHigh = 7800,
                                  .topDecks = 1, .topAdoption = 2500, .conversion = 125, .smallSample = true}},
        // New, side not counted, no average, with a trend.
        {.number = "0002", .name = "ベータ\n", .split = {0, 0, 0, 0, 2},
         .change = CardChange{CardStatus::New, 0, 3333, std::nullopt, std::nullopt, 2, std::nullopt},
         .trend = CardTrend{{{1, 2, 2500, 200, 3}, {0, 0, 0, std::nullopt, std::nullopt}}, -2500, -2500,
                            CardStatus::Dropped}},
        // Without a comparison, a name that is not UTF-8, a short split.
        {.number = "\xFF" "03", .name = "Gone", .decks = 1, .split = {1}},
    };
    const std::vector<ReportColumn> columns = reportColumns({.copyLimit = 3, .compared = true, .results = true});
    for (const CardFigures& card : cards) {
        std::string out;
        appendCardJson(out, card, columns, periods);
        EXPECT_EQ(out, dumped(expectedCard(card, columns, periods))) << card.number;
    }
}

TEST(JsonText, DeckEntriesSayHowTheDeckGotItsType) {
    const DeckListEntry decks[] = {
        {"a/1.txt", "Aggro", TypingWay::Folder, 0},
        {"b/\"2\".txt", "分類なし", TypingWay::None, 0},
        {"3.txt", "Control", TypingWay::Similar, 0.83333},
        {"4.txt", "Control", TypingWay::Rule, 1},
    };
    for (const DeckListEntry& deck : decks) {
        Json expected = Json::object();
        expected["file"] = deck.file;
        expected["type"] = deck.type;
        expected["how"] = typingWayText(deck.how);
        expected["similarity"] =
            deck.how == TypingWay::Similar ? Json(shownSimilarity(deck.similarity)) : Json(nullptr);
        std::string out;
        appendDeckEntryJson(out, deck);
        EXPECT_EQ(out, dumped(expected)) << deck.file;
    }
}

}  // namespace
}  // namespace sormel
