// The batch mode over several periods, as a user runs it: what is bad
// usage, which folders are periods, the last period read as if alone, the
// trends in each report, and periods without a deck.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "program_test.h"

namespace sormel {
namespace {

using testing::ProgramResult;
using testing::readFile;

class PeriodsBatch : public testing::ProgramTest {
protected:
    // A deck `file` ("4,A-1,name" lines) in period folder `period`.
    void deck(const std::string& period, const std::string& file, const std::string& text) {
        const std::filesystem::path path = decks.path() / period / file;
        std::filesystem::create_directories(path.parent_path());
        testing::ScratchFolder::writeInto(path, text);
    }
    ProgramResult periods(const std::string& arguments) {
        return batchOn(decks.path(), "--periods --encoding utf-8 " + arguments);
    }
    // Three periods: 2026-10 with A-1 in both decks and B-1 in one,
    // 2026-11 with A-1 alone, 2026-12 with A-1 and C-1.
    void threePeriods() {
        deck("2026-10", "1.txt", "4,A-1,Alpha\n2,B-1,Beta\n");
        deck("2026-10", "2.txt", "3,A-1,Alpha\n");
        deck("2026-11", "1.txt", "4,A-1,Alpha\n");
        deck("2026-12", "1.txt", "4,A-1,Alpha\n1,C-1,Gamma\n");
        deck("2026-12", "2.txt", "2,C-1,Gamma\n");
    }
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(PeriodsBatch, BadUsageStopsBeforeAnythingIsRead) {
    deck("only", "1.txt", "4,A-1,Alpha\n");
    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"--compare .", "--periods と --compare は併用できません。"},
        {"--suggest-types s.toml", "--periods と --suggest-types は併用できません。"},
        {"--results r.csv", "--periods と --results、--place-from-name は併用できません。"},
        {"--place-from-name '(\\d+)'", "--periods と --results、--place-from-name は併用できません。"},
        {"", "期間のサブフォルダーが 2 つ以上"},  // a single period
    };
    for (const auto& c : cases) {
        const ProgramResult result = periods(c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_NE(periods("").err.find(decks.path().string()), std::string::npos);  // the message names DIR
    EXPECT_EQ(run("--periods").status, 2);  // without --batch
}

TEST_F(PeriodsBatch, TheLastPeriodIsReadAsIfAloneAndTheOthersAddTheirColumns) {
    threePeriods();
    deck(".hidden", "1.txt", "4,H-1,Hidden\n");  // no period
    deck("", "loose.txt", "4,L-1,Loose\n");      // files directly in DIR are not read
    const ProgramResult all = periods("--output " + q(at("all.csv")) + " --report " + q(at("all-report.csv")));
    ASSERT_EQ(all.status, 0) << all.err;
    const ProgramResult alone = batchOn(decks.path() / "2026-12", "--encoding utf-8 --output " + q(at("alone.csv")) +
                                                                        " --report " + q(at("alone-report.csv")));
    ASSERT_EQ(alone.status, 0) << alone.err;
    EXPECT_EQ(readFile(at("all.csv")), readFile(at("alone.csv")));

    const std::vector<std::string> report = linesOf(readFile(at("all-report.csv")));
    const std::vector<std::string> usual = linesOf(readFile(at("alone-report.csv")));
    ASSERT_EQ(report.size(), 4u);  // header, C-1, A-1, then B-1 of the first period
    ASSERT_EQ(usual.size(), 3u);
    EXPECT_EQ(report[0], usual[0].substr(0, usual[0].size() - 1) +
                             ",\"採用(%) 2026-10\",\"採用(%) 2026-11\",\"採用(%) 2026-12\",\"採用増減(pt)\","
                             "\"傾き(pt/期)\",\"状態\"\r");
    for (std::size_t i = 1; i < usual.size(); ++i) {
        EXPECT_TRUE(report[i].starts_with(usual[i].substr(0, usual[i].size() - 1))) << report[i];
    }
    // C-1: new at 100; A-1: 100, 100, 50; B-1: 50 then gone.
    EXPECT_TRUE(report[1].ends_with(",0,0,100,100,50,\"新規\"\r")) << report[1];
    EXPECT_TRUE(report[2].ends_with(",100,100,50,-50,-25,\"\"\r")) << report[2];
    EXPECT_TRUE(report[3].starts_with("\"B-1\",\"Beta\",0,0,0,0,,")) << report[3];
    EXPECT_TRUE(report[3].ends_with(",50,0,0,0,-25,\"消滅\"\r")) << report[3];
}

TEST_F(PeriodsBatch, JsonCarriesThePeriodsEachCardsTrendAndEachTypesShare) {
    deck("01_a/Aggro", "1.txt", "4,A-1,Alpha\n");
    deck("01_a/Aggro", "2.txt", "4,A-1,Alpha\n");
    deck("01_a/Control", "1.txt", "4,B-1,Beta\n");
    deck("01_a", "loose.txt", "1,B-1,Beta\n");
    deck("02_b/Aggro", "1.txt", "2,A-1,Alpha\n");
    const auto file = out.path() / "r.json";
    const ProgramResult result = periods("--by-folder --report " + q(file) + " --report " + q(at("r.csv")));
    ASSERT_EQ(result.status, 0) << result.err;
    const nlohmann::json json = nlohmann::json::parse(readFile(file));
    EXPECT_EQ(json["periods"], nlohmann::json::parse(R"([{"name":"01_a","decks":4},{"name":"02_b","decks":1}])"));
    EXPECT_EQ(json["files"], nlohmann::json::parse(R"(["Aggro/1.txt"])"));  // relative to the last period
    ASSERT_EQ(json["cards"].size(), 2u);
    EXPECT_EQ(json["cards"][0]["trend"], nlohmann::json::parse(R"({"series":[
        {"period":"01_a","decks":2,"copies":8,"adoption":50,"avg_copies":4,"rank":1},
        {"period":"02_b","decks":1,"copies":2,"adoption":100,"avg_copies":2,"rank":1}],
        "change":50,"slope":50,"status":null})"));
    EXPECT_EQ(json["cards"][1]["number"], "B-1");
    EXPECT_EQ(json["cards"][1]["trend"]["status"], "消滅");
    EXPECT_EQ(json["cards"][1]["trend"]["series"][1]["avg_copies"], nullptr);
    // Aggro, then the types only the first period had: Control and 分類なし tie at 25.
    const nlohmann::json& types = json["types"];
    ASSERT_EQ(types.size(), 3u);
    EXPECT_EQ(types[0]["name"], "Aggro");
    EXPECT_EQ(types[0]["share_series"],
              nlohmann::json::parse(R"([{"period":"01_a","decks":2,"share":50},
                                        {"period":"02_b","decks":1,"share":100}])"));
    EXPECT_EQ(types[0]["share_change"], 50);
    EXPECT_EQ(types[0]["share_slope"], 50);
    EXPECT_EQ(types[1]["name"], "Control");
    EXPECT_EQ(types[1]["decks"], 0);
    EXPECT_EQ(types[1]["share_change"], -25);
    EXPECT_EQ(types[2]["name"], "分類なし");
    EXPECT_FALSE(types[0]["cards"][0].contains("trend"));
    // The type's own rows leave the trend columns empty.
    const std::vector<std::string> csv = linesOf(readFile(at("r.csv")));
    ASSERT_GE(csv.size(), 4u);
    EXPECT_TRUE(csv.back().starts_with("\"Aggro\",\"A-1\"")) << csv.back();
    EXPECT_TRUE(csv.back().ends_with(",0,,,,,\r")) << csv.back();
}

TEST_F(PeriodsBatch, APeriodWithoutDecksIsWarnedOfAndCountsAsEmpty) {
    threePeriods();
    std::filesystem::create_directories(decks.path() / "2026-10b");
    const std::string warning = decks.path().string() + "/2026-10b: 警告: ";
    const ProgramResult result = periods("--report " + q(at("r.json")));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find(warning), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("/ 警告 1 件"), std::string::npos) << result.err;
    const nlohmann::json json = nlohmann::json::parse(readFile(at("r.json")));
    EXPECT_EQ(json["periods"][1]["decks"], 0);
    EXPECT_EQ(json["cards"][1]["trend"]["series"][1]["adoption"], nullptr);
    // 100, 100, 50 at 0, 2, 3: −200 ÷ 14 = −14.2857…
    EXPECT_EQ(json["cards"][1]["trend"]["slope"], -14.29);

    const ProgramResult strict = periods("--strict --report " + q(at("strict.json")));
    EXPECT_EQ(strict.status, 1);
    EXPECT_FALSE(std::filesystem::exists(at("strict.json")));
}

TEST_F(PeriodsBatch, OnlyTheLastEmptyGivesNoRowsAndAllEmptyFails) {
    deck("1", "1.txt", "4,A-1,Alpha\n");
    std::filesystem::create_directories(decks.path() / "2");
    const ProgramResult lastEmpty = periods("--output " + q(at("p.csv")) + " --report " + q(at("r.json")));
    ASSERT_EQ(lastEmpty.status, 0) << lastEmpty.err;
    EXPECT_EQ(readFile(at("p.csv")), "");
    const nlohmann::json json = nlohmann::json::parse(readFile(at("r.json")));
    EXPECT_EQ(json["decks"], 0);
    ASSERT_EQ(json["cards"].size(), 1u);
    EXPECT_EQ(json["cards"][0]["trend"]["status"], "消滅");
    EXPECT_EQ(json["cards"][0]["trend"]["change"], nullptr);

    std::filesystem::remove_all(decks.path() / "1");
    std::filesystem::create_directories(decks.path() / "1");
    const ProgramResult none = periods("");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("集計対象ファイルがありません。"), std::string::npos) << none.err;
}

TEST_F(PeriodsBatch, RulesTypeEachPeriodAndWarnOnlyOfCardsNoPeriodHolds) {
    deck("1", "1.txt", "4,D-1,dragon\n");
    deck("1", "2.txt", "4,X-1,x\n");
    deck("2", "1.txt", "4,X-1,x\n");
    const std::filesystem::path rules = scratch.write(
        "rules.toml", "[[type]]\nname = \"Dragon\"\nall = [\"D-1\"]\n[[type]]\nname = \"Typo\"\nall = [\"TYPO\"]\n");
    const ProgramResult result = periods("--types " + q(rules) + " --report " + q(at("r.json")));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, rules.string() + ":6: 警告: どのデッキにもないカードです: TYPO\n");
    const nlohmann::json json = nlohmann::json::parse(readFile(at("r.json")));
    ASSERT_EQ(json["types"].size(), 2u);
    EXPECT_EQ(json["types"][0]["name"], "分類なし");
    EXPECT_EQ(json["types"][1]["name"], "Dragon");  // only the first period had it
    EXPECT_EQ(json["types"][1]["share_series"][0]["share"], 50);
}

TEST_F(PeriodsBatch, WorkbookHasTrendSheetsWithCharts) {
    deck("a/X", "1.txt", "4,A-1,Alpha\n");
    deck("b/Y", "1.txt", "4,A-1,Alpha\n");
    const ProgramResult result = periods("--by-folder --report " + q(at("r.xlsx")));
    ASSERT_EQ(result.status, 0) << result.err;
    const ProgramResult workbook = testing::runProgram("unzip -p " + q(at("r.xlsx")) + " xl/workbook.xml", scratch);
    EXPECT_NE(workbook.out.find("name=\"推移\""), std::string::npos) << workbook.out;
    EXPECT_NE(workbook.out.find("name=\"タイプ推移\""), std::string::npos) << workbook.out;
    const ProgramResult charts = testing::runProgram("unzip -l " + q(at("r.xlsx")), scratch);
    EXPECT_NE(charts.out.find("xl/charts/chart2.xml"), std::string::npos) << charts.out;
}

}  // namespace
}  // namespace sormel
