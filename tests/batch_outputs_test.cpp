// The batch mode's reports and other outputs as a user meets them: every
// output checked before anything is read, all put in place together, and
// the plain CSV unchanged whatever else is asked for.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "program_test.h"

namespace sormel {
namespace {

using testing::ProgramResult;
using testing::readFile;
using testing::runProgram;
using testing::shellQuoted;
using testing::ScratchFolder;

const std::filesystem::path kGolden = SORMEL_GOLDEN_DIR;

// Most tests run the batch mode on the golden decks.
class BatchOutputs : public testing::ProgramTest {
protected:
    ProgramResult onGolden(const std::string& arguments) { return batchOn(kGolden / "decks", arguments); }
};

TEST_F(BatchOutputs, ReportsOfEveryKindBesideAnUnchangedCsv) {
    const ProgramResult result = onGolden("--output " + q(at("plain.csv")) + " --report " + q(at("r.xlsx")) + " --report " +
                                     q(at("r.JSON")) + " --report " + q(at("r.csv")) + " --copy-limit 4");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readFile(at("plain.csv")), readFile(kGolden / "expected-cp932.csv"));
    const nlohmann::json json = nlohmann::json::parse(readFile(at("r.JSON")));
    EXPECT_EQ(json["copy_limit"], 4);
    EXPECT_EQ(json["side_counted"], true);
    EXPECT_EQ(json["sort"], "decks");
    EXPECT_EQ(json["decks"], json["files"].size());
    ASSERT_FALSE(json["cards"].empty());
    const nlohmann::json& first = json["cards"][0];
    std::int64_t buckets = 0;
    for (const auto& [name, decks] : first["split"].items()) buckets += decks.get<std::int64_t>();
    EXPECT_EQ(buckets, first["decks"].get<std::int64_t>());
    EXPECT_EQ(first["split"].size(), 6u);  // 1..4, over, other
    EXPECT_TRUE(readFile(at("r.csv")).starts_with("\xEF\xBB\xBF"));
    EXPECT_TRUE(readFile(at("r.xlsx")).starts_with("PK"));
}

TEST_F(BatchOutputs, BadOutputsAreRefusedBeforeAnythingIsReadOrWritten) {
    ScratchFolder::writeInto(at("keep.csv"), "old");
    struct Case {
        std::string arguments;
        std::string message;
    };
    // A new name beside the decks is no deck.
    ProgramResult beside = onGolden("--report " + q(out.path() / "deck01.txt.json"));
    EXPECT_EQ(beside.status, 0) << beside.err;
    std::filesystem::remove(out.path() / "deck01.txt.json");
    const std::vector<Case> cases = {
        {"--report " + q(at("r.txt")), ".csv、.json、.xlsx"},
        {"--report " + q(at("same.json")) + " --report " + q(at("same.json")), "同じファイル"},
        {"--report " + q(at("keep.csv")), "同じファイル"},  // the same file as --output
        {"--report " + q(at("missing") / "r.json"), "フォルダーが見つかりません"},
        {"--copy-limit 0", "1 から 99"},
        {"--copy-limit 100", "1 から 99"},
        {"--copy-limit 3x", "1 から 99"},
        {"--by-folder --average-deck " + q(at("keep.csv")), "既存のフォルダー"},
    };
    for (const Case& c : cases) {
        const ProgramResult result = onGolden("--output " + q(at("keep.csv")) + " " + c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments << "\n" << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.arguments << "\n" << result.err;
        EXPECT_EQ(readFile(at("keep.csv")), "old") << c.arguments;
    }
    // A deck as a report target is refused, whatever the name's case of extension.
    decks.write("a.json", "1,AB,x\n");
    const ProgramResult deck = runProgram(std::string(SORMEL_CHECKER_PATH) + " --batch " + q(decks.path()) +
                                              " --mask '*.*' --report " + q(decks.path() / "a.json"),
                                          scratch);
    EXPECT_EQ(deck.status, 2) << deck.err;
    EXPECT_EQ(readFile(decks.path() / "a.json"), "1,AB,x\n");
    // A baseline folder without decks is a failure of its own.
    std::filesystem::create_directory(at("empty"));
    const ProgramResult empty = onGolden("--compare " + q(at("empty")));
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("比較するフォルダー"), std::string::npos) << empty.err;
    // Nothing of the refused runs was left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 2);  // keep.csv, empty/
}

TEST_F(BatchOutputs, EncodingsOfThePlainCsvAndWhatCp932CannotHold) {
    decks.write("a.txt", "2,\xF0\x9F\x83\x8F,\xE2\x91\xA0 \xF0\x9F\x83\x8F\n1,B,b\n");  // 🃏 and ①
    const std::string base = std::string(SORMEL_CHECKER_PATH) + " --batch " + q(decks.path());
    ProgramResult result = runProgram(base, scratch);
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.err.find("2 文字（1 枚のカード）"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("--encoding utf-8-bom"), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.starts_with("\"?\",\"\x87\x40 ?\""));  // ① is in code page 932
    result = runProgram(base + " --encoding utf-8-bom", scratch);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.starts_with("\xEF\xBB\xBF\"\xF0\x9F\x83\x8F\""));
}

TEST_F(BatchOutputs, TypesComparisonAndAverageDecksFromTheCommandLine) {
    ScratchFolder now, before;
    now.write("x.txt", "2,A,a\n");
    std::filesystem::create_directory(now.path() / "Aggro");
    now.write("Aggro/1.txt", "3,A,a\n1,N,n\n--\n1,S,s\n");
    std::filesystem::create_directory(before.path() / "Aggro");
    before.write("Aggro/1.txt", "3,A,a\n2,G,g\n");
    std::filesystem::create_directory(at("avg"));
    const ProgramResult result = runProgram(std::string(SORMEL_CHECKER_PATH) + " --batch " + q(now.path()) +
                                                " --by-folder --compare " + q(before.path()) + " --report " +
                                                q(at("r.json")) + " --average-deck " + q(at("avg")) +
                                                " --encoding utf-8",
                                            scratch);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "\"A\",\"a\",2,5,100,83.33\r\n\"N\",\"n\",1,1,50,16.67\r\n\"S\",\"s\",1,1,50,16.67\r\n");
    const nlohmann::json json = nlohmann::json::parse(readFile(at("r.json")));
    EXPECT_EQ(json["baseline"]["decks"], 1);
    ASSERT_EQ(json["types"].size(), 2u);
    EXPECT_EQ(json["types"][0]["name"], "Aggro");  // one deck each: by name, "A" before "分"
    EXPECT_EQ(json["types"][0]["share"], 50);
    const nlohmann::json& aggro = json["types"][0]["cards"];
    EXPECT_EQ(aggro[0]["number"], "A");
    EXPECT_EQ(aggro[0]["status"], nullptr);
    EXPECT_EQ(aggro[1]["status"], "新規");
    EXPECT_EQ(aggro.back()["number"], "G");
    EXPECT_EQ(aggro.back()["status"], "消滅");
    // The type found only now compares with nothing: all new.
    EXPECT_EQ(json["types"][1]["cards"][0]["status"], "新規");
    EXPECT_EQ(json["average_deck"]["main"][0]["copies"], 2);
    EXPECT_EQ(readFile(at("avg") / "全体.txt"), "2,A,a\r\n");
    EXPECT_EQ(readFile(at("avg") / "デッキタイプ" / "Aggro.txt"), "3,A,a\r\n1,N,n\r\n--\r\n1,S,s\r\n");
    EXPECT_EQ(readFile(at("avg") / "デッキタイプ" / "分類なし.txt"), "2,A,a\r\n");
}

TEST_F(BatchOutputs, ShiftJisTypeFoldersKeepTheirOwnAverageDecksAndUnwritableCardsAreNamed) {
    ScratchFolder now;
    const std::string white = "\x94\x92\x92\x50";  // 白単 and 黒単 in Shift_JIS
    const std::string black = "\x8D\x95\x92\x50";
    std::filesystem::create_directory(now.path() / white);
    std::filesystem::create_directory(now.path() / black);
    now.write(white + "/1.txt",
              "<?xml version=\"1.0\"?><Deck><Cards Quantity=\"2\" Sideboard=\"false\" Name=\"a&#10;b\"/>"
              "<Cards Quantity=\"1\" Sideboard=\"false\" Name=\"X\"/></Deck>");
    now.write(black + "/1.txt", "1,B,b\n");
    std::filesystem::create_directory(at("avg"));
    const ProgramResult result =
        runProgram(std::string(SORMEL_CHECKER_PATH) + " --batch " + q(now.path()) + " --by-folder --average-deck " +
                       q(at("avg")) + " --report " + q(at("r.json")) + " --encoding utf-8",
                   scratch);
    ASSERT_EQ(result.status, 0) << result.err;
    const nlohmann::json json = nlohmann::json::parse(readFile(at("r.json")));
    ASSERT_EQ(json["types"].size(), 2u);
    EXPECT_EQ(json["types"][0]["name"], "白単");  // one deck each: by name
    EXPECT_EQ(json["types"][1]["name"], "黒単");
    EXPECT_EQ(readFile(at("avg") / "デッキタイプ" / "白単.txt"), "1,X,X\r\n");
    EXPECT_EQ(readFile(at("avg") / "デッキタイプ" / "黒単.txt"), "1,B,b\r\n");
    const std::string warning = ": 警告: 読み戻すと同じカードにならないため、平均デッキから省きました。カード番号: a\\nb\n";
    EXPECT_NE(result.err.find((at("avg") / "デッキタイプ" / "白単.txt").string() + warning), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find((at("avg") / "全体.txt").string() + warning), std::string::npos) << result.err;
}

TEST_F(BatchOutputs, AnAverageDeckShiftJisCannotHoldIsWrittenInUtf8FileByFile) {
    ScratchFolder now;
    std::filesystem::create_directory(now.path() / "nordic");
    std::filesystem::create_directory(now.path() / "plain");
    now.write("nordic/1.txt", "2,J-1,J\xC3\xB6tun Grunt\n");
    now.write("plain/1.txt", "1,K-1,\xE9\x9B\xB7\n");
    std::filesystem::create_directory(at("avg"));
    const ProgramResult result = runProgram(
        std::string(SORMEL_CHECKER_PATH) + " --batch " + q(now.path()) + " --by-folder --average-deck " + q(at("avg")),
        scratch);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readFile(at("avg") / "デッキタイプ" / "nordic.txt"), "2,J-1,J\xC3\xB6tun Grunt\r\n");
    EXPECT_EQ(readFile(at("avg") / "デッキタイプ" / "plain.txt"), "1,K-1,\x97\x8B\r\n");
    const std::string warning = ": 警告: Shift_JIS で表せない文字があるため、平均デッキを UTF-8 で保存しました。\n";
    EXPECT_NE(result.err.find((at("avg") / "デッキタイプ" / "nordic.txt").string() + warning), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find((at("avg") / "全体.txt").string() + warning), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("plain.txt" + warning), std::string::npos) << result.err;
}

// Far more types than the program may open files: the outputs waiting for
// their content hold no descriptor.
TEST_F(BatchOutputs, AnAverageDeckForEachOfManyTypes) {
    for (int i = 0; i < 300; ++i) {
        const std::string type = "T" + std::to_string(i);
        std::filesystem::create_directory(decks.path() / type);
        decks.write(type + "/d.txt", "1,A" + std::to_string(i) + ",a\n");
    }
    std::filesystem::create_directory(at("avg"));
    const ProgramResult result = runProgram("ulimit -n 64 && " + std::string(SORMEL_CHECKER_PATH) + " --batch " +
                                                q(decks.path()) + " --by-folder --average-deck " + q(at("avg")) +
                                                " --encoding utf-8",
                                            scratch);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(at("avg") / "デッキタイプ"), {}), 300);
    EXPECT_EQ(readFile(at("avg") / "デッキタイプ" / "T299.txt"), "1,A299,a\r\n");
}

TEST_F(BatchOutputs, ARefusedOrFailedRunWithTypeAverageDecksMakesNoFolder) {
    std::filesystem::create_directory(decks.path() / "Aggro");
    decks.write("Aggro/1.txt", "3,A,a\n");
    std::filesystem::create_directory(at("avg"));
    const std::string base = std::string(SORMEL_CHECKER_PATH) + " --batch " + q(decks.path()) +
                             " --by-folder --average-deck " + q(at("avg"));
    const std::string refused[] = {
        " --report " + q(at("missing") / "r.json"),  // refused before the decks are read
        " --report " + q(at("r.txt")),
    };
    for (const std::string& arguments : refused) {
        const ProgramResult result = runProgram(base + arguments, scratch);
        EXPECT_EQ(result.status, 2) << arguments << "\n" << result.err;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(at("avg")), {}), 0) << arguments;
    }
    // A deck that stops the run.
    decks.write("Aggro/2.txt", "<?xml version=\"1.0\"?><Deck><Cards Quantity=\"x\" Name=\"A\"/></Deck>");
    const ProgramResult failed = runProgram(base + " --format dek", scratch);
    EXPECT_EQ(failed.status, 1) << failed.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(at("avg")), {}), 0);
}

}  // namespace
}  // namespace sormel
