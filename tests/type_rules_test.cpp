// Reading a rules file: what it holds, and every way it can be refused,
// with the line the message names.

#include <gtest/gtest.h>

#include "analysis/type_rules.h"
#include "test_support.h"

namespace sormel {
namespace {

TEST(TypeRulesFile, ReadsTypesInOrderWithEveryConditionAndItsLine) {
    const TypeRules rules = parseTypeRules("\xEF\xBB\xBF# comment\n"
                                           "similarity = 0.6\n"
                                           "[[type]]\n"
                                           "name = \"赤単竜\"\n"
                                           "all = [\"BT01-012\",\n  \"ST01-001\"]\n"
                                           "any = [\"PR-013\"]\n"
                                           "none = [\"BT03-027\"]\n"
                                           "at_least = { \"BT01-012\" = 3 }\n"
                                           "side_all = []\n"
                                           "side_any = [\"S-1\"]\n"
                                           "side_none = [\"S-2\"]\n"
                                           "[[type]]\n"
                                           "name = \"その他\"\n",
                                           "r.toml");
    EXPECT_EQ(rules.similarity, 0.6);
    ASSERT_EQ(rules.types.size(), 2u);
    const TypeRule& first = rules.types[0];
    EXPECT_EQ(first.name, "赤単竜");
    EXPECT_EQ(first.line, 3u);
    ASSERT_EQ(first.all.size(), 2u);
    EXPECT_EQ(first.all[1].key, "ST01-001");
    EXPECT_EQ(first.all[1].line, 6u);  // where the card is named, not where its list starts
    ASSERT_EQ(first.atLeast.size(), 1u);
    EXPECT_EQ(first.atLeast[0].copies, 3);
    EXPECT_EQ(first.atLeast[0].line, 9u);
    EXPECT_TRUE(first.sideAll.empty());
    EXPECT_EQ(first.sideAny[0].key, "S-1");
    EXPECT_EQ(first.sideNone[0].key, "S-2");
    EXPECT_TRUE(rules.hasSideConditions());
    EXPECT_EQ(rules.types[1].name, "その他");
    EXPECT_TRUE(rules.types[1].all.empty());

    EXPECT_EQ(parseTypeRules("", "r.toml").similarity, 0);
    EXPECT_EQ(parseTypeRules("similarity = 1\n", "r.toml").similarity, 1);
    EXPECT_EQ(parseTypeRules("similarity = 0\n", "r.toml").similarity, 0);
}

struct BadFile {
    const char* text;
    const char* message;  // the message starts with this
};

TEST(TypeRulesFile, RefusesABadFileNamingTheLineOfTheFault) {
    const BadFile cases[] = {
        {"[[type]\nname = \"a\"\n", "r.toml:1: TOML として読めません"},
        {"similarity = 0.5\nname = \"\xff\"\n", "r.toml:2: UTF-8 のテキストではありません。"},
        {"simlarity = 0.5\n", "r.toml:1: 不明なキーです: 「simlarity」"},
        {"\n[[type]]\nname = \"a\"\nalll = [\"X\"]\n", "r.toml:4: 不明なキーです: 「alll」"},
        {"[[type]]\nname = \"a\"\nall = \"X\"\n", "r.toml:3: all にはカードの文字列の配列を指定してください。"},
        {"[[type]]\nname = \"a\"\nside_none = [\"X\", 3]\n", "r.toml:3: side_none にはカードの文字列の配列"},
        {"[[type]]\nname = 3\n", "r.toml:2: name には文字列を指定してください。"},
        {"type = 3\n", "r.toml:1: type には [[type]] の表を指定してください。"},
        {"[type]\nname = \"a\"\n", "r.toml:1: type には [[type]] の表を指定してください。"},
        {"[[type]]\nname = \"a\"\n\n[[type]]\nall = [\"X\"]\n", "r.toml:4: タイプに name がありません。"},
        {"[[type]]\nname = \"a\"\n[[type]]\nname = \"a\"\n", "r.toml:4: タイプ名 「a」 は 1 行目のタイプと重複しています。"},
        {"similarity = 1.5\n", "r.toml:1: similarity には 0 から 1 までの数を指定してください。"},
        {"similarity = -0.1\n", "r.toml:1: similarity には"},
        {"similarity = \"0.5\"\n", "r.toml:1: similarity には"},
        {"similarity = nan\n", "r.toml:1: similarity には"},
        {"[[type]]\nname = \"a\"\nat_least = { \"X\" = 0 }\n", "r.toml:3: at_least の枚数には 1 以上の整数を指定してください: 「X」"},
        {"[[type]]\nname = \"a\"\nat_least = { \"X\" = 2.0 }\n", "r.toml:3: at_least の枚数には"},
        {"[[type]]\nname = \"a\"\n[type.at_least]\n\"X\" = 2\n\"Y\" = -1\n", "r.toml:5: at_least の枚数には"},
        {"[[type]]\nname = \"a\"\nat_least = [\"X\"]\n", "r.toml:3: at_least には { \"カード\" = 枚数 } の表を指定してください。"},
        {"[[type]]\nname = \"\"\n", "r.toml:2: タイプ名に使えない名前です: 「」"},
        {"[[type]]\nname = \"..\"\n", "r.toml:2: タイプ名に使えない名前です"},
        {"[[type]]\nname = \"a/b\"\n", "r.toml:2: タイプ名に使えない名前です"},
        {"[[type]]\nname = \"a\\u0007\"\n", "r.toml:2: タイプ名に使えない名前です"},
        {"[[type]]\nname = \"a\\u0085\"\n", "r.toml:2: タイプ名に使えない名前です"},
    };
    for (const BadFile& bad : cases) {
        try {
            parseTypeRules(bad.text, "r.toml");
            ADD_FAILURE() << "accepted: " << bad.text;
        } catch (const TypeRulesError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(bad.message, 0), 0u) << error.what();
        }
    }
}

TEST(TypeRulesFile, NamesEveryFaultInTheFilesOrder) {
    try {
        parseTypeRules("zzz = 1\n[[type]]\nname = 3\naaa = 1\n", "r.toml");
        ADD_FAILURE();
    } catch (const TypeRulesError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "r.toml:1: 不明なキーです: 「zzz」\n"
                  "r.toml:3: name には文字列を指定してください。\n"
                  "r.toml:4: 不明なキーです: 「aaa」");
    }
}

TEST(TypeRulesFile, AFileThatCannotBeReadIsNamed) {
    testing::ScratchFolder folder;
    EXPECT_THROW(readTypeRules(folder.path() / "missing.toml"), TypeRulesError);
    EXPECT_THROW(readTypeRules(folder.path()), TypeRulesError);
    const auto file = folder.write("ok.toml", "[[type]]\nname = \"分類なし\"\n");
    EXPECT_EQ(readTypeRules(file).types.at(0).name, "分類なし");  // allowed: it means the untyped decks
}

TEST(TypeRulesFile, NamesThatCanNameAType) {
    for (const char* good : {"赤単竜", "a.b", "...", "全体", "A B"}) EXPECT_TRUE(usableTypeName(good)) << good;
    for (const char* bad : {"", ".", "..", "a\\b", "a:b", "a*", "a?", "\"a\"", "<a>", "a|b", "\t", "a\x7f"}) {
        EXPECT_FALSE(usableTypeName(bad)) << bad;
    }
}

}  // namespace
}  // namespace sormel
