// The CSV, JSON and workbook of one report read back and held against each
// other column by column: each writer walks the same column list, so the
// three must agree on every title, key and value.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <regex>

#include "export/report_writer.h"
#include "test_support.h"

namespace sormel {
namespace {

using Json = nlohmann::ordered_json;
using testing::ScratchFolder;

// A copy limit of 2 against a baseline: a card kept since, a new one
// without a side count, a gone one, and one the comparison did not reach.
ReportData comparedReport() {
    ReportData data{.report = {.deckCount = 6, .copyLimit = 2, .sideCounted = true},
                    .baseline = BaselineInfo{.decks = 4, .folder = "/old"},
                    .files = {},
                    .folder = "/now",
                    .date = "2024-06-01 10:00"};
    data.report.cards = {
        {.number = "001", .name = "Alpha", .decks = 5, .copies = 9, .adoption = 8333, .usage = 7500,
         .avgCopies = 180, .mainDecks = 5, .mainCopies = 8, .sideDecks = 1, .sideCopies = 1, .split = {1, 4, 0, 0},
         .change = CardChange{CardStatus::Kept, 10000, -1667, 200, -20, 1, 1}},
        {.number = "0002", .name = "ベータ", .decks = 2, .copies = 5, .adoption = 3333, .usage = 4167,
         .avgCopies = 250, .mainDecks = 2, .mainCopies = 5, .split = {0, 1, 1, 0},
         .change = CardChange{CardStatus::New, 0, 3333, std::nullopt, std::nullopt, 2, std::nullopt}},
        {.number = "003", .name = "Gone", .sideDecks = 0, .sideCopies = 0, .split = {0, 0, 0, 0},
         .change = CardChange{CardStatus::Dropped, 5000, -5000, 150, std::nullopt, std::nullopt, 2}},
        {.number = "004", .name = "Lone", .decks = 1, .copies = 1, .adoption = 1667, .usage = 833, .avgCopies = 100,
         .mainDecks = 1, .mainCopies = 1, .sideDecks = 0, .sideCopies = 0, .split = {1, 0, 0, 0}},
    };
    return data;
}

// Rows of fields; quoted fields keep their quotes, so that "" (an empty
// text) stays apart from an empty field.
std::vector<std::vector<std::string>> csvRows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    std::size_t at = 3;  // the byte-order mark
    while (at < csv.size()) {
        const std::size_t end = csv.find("\r\n", at);
        std::vector<std::string> fields(1);
        bool quoted = false;
        for (std::size_t i = at; i < end; ++i) {
            if (csv[i] == '"') quoted = !quoted;
            if (csv[i] == ',' && !quoted) {
                fields.emplace_back();
            } else {
                fields.back().push_back(csv[i]);
            }
        }
        rows.push_back(std::move(fields));
        at = end + 2;
    }
    return rows;
}

std::string unquoted(const std::string& field) {
    EXPECT_TRUE(field.size() >= 2 && field.front() == '"' && field.back() == '"') << field;
    return field.substr(1, field.size() - 2);
}

struct Cell {
    bool text = false;
    std::string value;
};

// The first sheet's cells by row and column, both from 0.
std::map<std::pair<int, int>, Cell> sheetCells(const ScratchFolder& scratch, const std::filesystem::path& book) {
    const std::string sheet = "xl/worksheets/sheet1.xml";
    const auto result = testing::runProgram("unzip -p " + testing::shellQuoted(book) + " " + sheet, scratch);
    EXPECT_EQ(result.status, 0) << result.err;
    std::map<std::pair<int, int>, Cell> cells;
    const std::regex cell(R"re(<c r="([A-Z]+)([0-9]+)"[^>]*?(/>|>(.*?)</c>))re");
    const std::regex text(R"re(<t[^>]*>(.*)</t>)re");
    const std::regex number(R"re(<v>(.*)</v>)re");
    const auto end = std::sregex_iterator();
    for (auto it = std::sregex_iterator(result.out.begin(), result.out.end(), cell); it != end; ++it) {
        int column = 0;
        for (const char letter : (*it)[1].str()) column = column * 26 + (letter - 'A' + 1);
        const std::string content = (*it)[4].str();
        std::smatch found;
        Cell value;
        if (std::regex_search(content, found, text)) {
            value = {true, found[1].str()};
        } else if (std::regex_search(content, found, number)) {
            value = {false, found[1].str()};
        }
        cells[{std::stoi((*it)[2].str()) - 1, column - 1}] = value;
    }
    return cells;
}

// The members of a card, split by copies taken apart: "split.1".
std::vector<std::pair<std::string, Json>> flatMembers(const Json& card) {
    std::vector<std::pair<std::string, Json>> members;
    for (const auto& [key, value] : card.items()) {
        if (value.is_object()) {
            for (const auto& [inner, innerValue] : value.items()) members.emplace_back(key + "." + inner, innerValue);
        } else {
            members.emplace_back(key, value);
        }
    }
    return members;
}

TEST(ReportColumns, CsvJsonAndWorkbookAgreeOnEveryTitleKeyAndValue) {
    const ReportData data = comparedReport();
    const std::vector<ReportColumn> columns = reportColumns({.copyLimit = 2, .compared = true});
    const auto csv = csvRows(formatReportCsv(data));
    const Json json = Json::parse(formatReportJson(data));
    ScratchFolder scratch;
    const std::filesystem::path book = scratch.write("book.xlsx", formatReportXlsx(data));
    const auto cells = sheetCells(scratch, book);

    ASSERT_EQ(csv.size(), data.report.cards.size() + 1);
    ASSERT_EQ(csv[0].size(), columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c) {
        EXPECT_EQ(unquoted(csv[0][c]), columns[c].header);
        const auto header = cells.find({0, static_cast<int>(c)});
        ASSERT_NE(header, cells.end()) << columns[c].header;
        EXPECT_EQ(header->second.value, columns[c].header);
    }

    for (std::size_t r = 0; r < data.report.cards.size(); ++r) {
        const std::vector<std::string>& fields = csv[r + 1];
        ASSERT_EQ(fields.size(), columns.size()) << "row " << r;
        const auto members = flatMembers(json["cards"][r]);
        std::size_t member = 0;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const ReportColumn& column = columns[c];
            const std::string where = "card " + std::to_string(r) + ", " + column.header;
            const std::string& field = fields[c];
            const auto cell = cells.find({static_cast<int>(r + 1), static_cast<int>(c)});
            const bool inWorkbook = cell != cells.end();
            // A card without a comparison has no comparison members at all.
            if (column.presence == ColumnPresence::Compared && !data.report.cards[r].change) {
                EXPECT_EQ(field, "") << where;
                EXPECT_FALSE(inWorkbook) << where;
                continue;
            }
            ASSERT_LT(member, members.size()) << where;
            const auto& [key, value] = members[member++];
            EXPECT_EQ(key, column.group.empty() ? column.key : column.group + "." + column.key) << where;
            const bool keptStatus = column.kind == ColumnKind::Status && field == "\"\"";
            if (field.empty() || keptStatus) {
                EXPECT_TRUE(value.is_null()) << where << ": " << value.dump();
                EXPECT_FALSE(inWorkbook) << where;
                continue;
            }
            ASSERT_TRUE(inWorkbook) << where;
            switch (column.kind) {
            case ColumnKind::Text:
            case ColumnKind::Status:
                EXPECT_EQ(value, unquoted(field)) << where;
                EXPECT_TRUE(cell->second.text) << where;
                EXPECT_EQ(cell->second.value, unquoted(field)) << where;
                break;
            case ColumnKind::Count:
            case ColumnKind::Rate:
            case ColumnKind::Average: {
                EXPECT_EQ(value.dump(), field) << where;
                EXPECT_FALSE(cell->second.text) << where;
                // The workbook shows a rate as a percentage: 83.33 is 0.8333.
                const double shown = std::stod(field) / (column.kind == ColumnKind::Rate ? 100 : 1);
                EXPECT_NEAR(std::stod(cell->second.value), shown, 1e-12) << where;
                break;
            }
            }
        }
        EXPECT_EQ(member, members.size()) << "card " << r << " has members no column names";
    }
}

// Each column of the split by copies reads its own count: 1 to the limit,
// more than the limit, zero or less.
TEST(ReportColumns, TheSplitHasAColumnPerCopyCountUpToTheLimitEachReadingItsOwnCount) {
    for (const int limit : {1, 4}) {
        CardFigures card;
        for (int bucket = 0; bucket < limit + 2; ++bucket) card.split.push_back(100 + bucket);
        std::vector<std::string> headers;
        std::vector<std::int64_t> counts;
        for (const ReportColumn& column : reportColumns({.copyLimit = limit})) {
            if (column.group != "split") continue;
            headers.push_back(column.header);
            counts.push_back(numberIn(column.value(card)).value_or(-1));
        }
        EXPECT_EQ(counts, card.split) << limit;
        if (limit == 1) {
            EXPECT_EQ(headers, (std::vector<std::string>{"1枚", "2枚以上", "0枚以下"}));
        } else {
            EXPECT_EQ(headers, (std::vector<std::string>{"1枚", "2枚", "3枚", "4枚", "5枚以上", "0枚以下"}));
        }
    }
}

}  // namespace
}  // namespace sormel
