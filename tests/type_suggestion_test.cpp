// Suggested type rules, read back with --types: the decks of one made-up
// type stay together, the file is the same for the same folder, and the
// count of types can be fixed.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "analysis/type_rules.h"
#include "analysis/type_suggestion.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ProgramResult;
using testing::readFile;
using testing::runProgram;
using testing::shellQuoted;
using testing::ScratchFolder;

// Three types of 30 decks (the third two cards apart from the second), each
// deck with its type's core, two staples, and one card of its own.
std::map<std::string, std::string> writeMetagame(const ScratchFolder& decks) {
    const std::vector<std::vector<std::string>> cores = {
        {"A-1", "A-2", "A-3"}, {"B-1", "B-2", "B-3", "B-4"}, {"B-1", "B-2", "C-3", "C-4"}};
    std::map<std::string, std::string> truth;
    for (std::size_t type = 0; type < cores.size(); ++type) {
        for (int i = 0; i < 30; ++i) {
            std::string text;
            for (const std::string& card : cores[type]) text += "3," + card + ",card " + card + "\n";
            text += "2,S-1,staple\n2,S-2,staple two\n1,N-" + std::to_string(type * 100 + i) + ",noise\n";
            const std::string file = "d" + std::to_string(type) + "-" + std::to_string(i) + ".txt";
            decks.write(file, text);
            truth[file] = std::to_string(type);
        }
    }
    return truth;
}

class TypeSuggestion : public ::testing::Test {
protected:
    ProgramResult run(const std::string& arguments) {
        return runProgram(std::string(SORMEL_CHECKER_PATH) + " --batch " + shellQuoted(decks.path()) + " " + arguments,
                          scratch);
    }
    ScratchFolder scratch;
    ScratchFolder decks;
};

TEST_F(TypeSuggestion, SuggestedRulesReadBackTypingEachMadeUpTypeAsOne) {
    const std::map<std::string, std::string> truth = writeMetagame(decks);
    const auto file = scratch.path() / "s.toml";
    ProgramResult result = run("--suggest-types " + shellQuoted(file) + " --output /dev/null");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string suggested = readFile(file);
    const TypeRules rules = parseTypeRules(suggested, "s.toml");
    EXPECT_EQ(rules.types.size(), 3u) << suggested;
    EXPECT_GT(rules.similarity, 0);
    EXPECT_NE(suggested.find("# 30 デッキ（33.33%）\n[[type]]\n"), std::string::npos) << suggested;
    for (const TypeRule& rule : rules.types) {
        EXPECT_GE(rule.all.size(), 1u);
        EXPECT_LE(rule.all.size(), 4u);
        EXPECT_NE(rule.name.find("・"), std::string::npos) << rule.name;  // two cards' names
    }

    const auto json = scratch.path() / "r.json";
    result = run("--types " + shellQuoted(file) + " --report " + shellQuoted(json) + " --output /dev/null");
    ASSERT_EQ(result.status, 0) << result.err;
    std::map<std::string, std::set<std::string>> typesOfTruth;
    const nlohmann::json report = nlohmann::json::parse(readFile(json));
    ASSERT_EQ(report["deck_list"].size(), 90u);
    for (const auto& deck : report["deck_list"]) {
        typesOfTruth[truth.at(deck["file"])].insert(deck["type"]);
        EXPECT_EQ(deck["how"], "rule");
    }
    std::set<std::string> all;
    for (const auto& [type, types] : typesOfTruth) {
        EXPECT_EQ(types.size(), 1u) << type;
        all.insert(types.begin(), types.end());
    }
    EXPECT_EQ(all.size(), 3u);

    // The same folder and options give the same bytes.
    ASSERT_EQ(run("--suggest-types " + shellQuoted(file) + " --output /dev/null").status, 0);
    EXPECT_EQ(readFile(file), suggested);
}

TEST_F(TypeSuggestion, TheCountOfTypesCanBeFixed) {
    writeMetagame(decks);
    const auto file = scratch.path() / "s.toml";
    ASSERT_EQ(run("--suggest-types " + shellQuoted(file) + " --suggest-count 2 --output /dev/null").status, 0);
    EXPECT_EQ(parseTypeRules(readFile(file), "s.toml").types.size(), 2u);
    for (const char* bad : {"1", "51", "x", "2.5"}) {
        EXPECT_EQ(run("--suggest-types " + shellQuoted(file) + " --suggest-count " + bad).status, 2) << bad;
    }
    EXPECT_EQ(run("--suggest-count 3").status, 2);
}

TEST_F(TypeSuggestion, DecksWithoutCardsGetNoTypeThatWouldTakeEveryDeck) {
    decks.write("a.txt", "# no card line\n");
    const auto file = scratch.path() / "s.toml";
    ASSERT_EQ(run("--suggest-types " + shellQuoted(file) + " --output /dev/null").status, 0);
    EXPECT_TRUE(parseTypeRules(readFile(file), "s.toml").types.empty());
}

TEST(TomlText, CardsWithQuotesBackslashesAndControlCharactersReadBack) {
    for (const std::string card : {"a\"b", "c\\d", "e\tf", "g\x7fh", "カード"}) {
        const TypeRules rules = parseTypeRules("[[type]]\nname = \"t\"\nall = [" + tomlString(card) + "]\n", "r");
        EXPECT_EQ(rules.types.at(0).all.at(0).key, card);
    }
}

}  // namespace
}  // namespace sormel
