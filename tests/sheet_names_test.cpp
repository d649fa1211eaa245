#include "export/sheet_names.h"

#include "export/case_folding.h"

#include <gtest/gtest.h>

namespace sormel {
namespace {

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

struct SheetNameCase {
    const char* what;
    std::vector<std::string> wanted;
    std::vector<std::string> expected;
};

TEST(SheetNames, AreValidAndUniqueAmongTheFixedSheetsAndEachOther) {
    const std::string a = "あ";
    const std::string emoji = "\xF0\x9F\x98\x80";  // U+1F600, two UTF-16 units
    const std::vector<SheetNameCase> cases = {
        {"plain names stay", {"速攻", "Control", "分類なし"}, {"速攻", "Control", "分類なし"}},
        {"forbidden characters", {"速攻/コントロール", "a[b]:c*d?e\\f"}, {"速攻_コントロール", "a_b__c_d_e_f"}},
        {"control characters", {"a\tb\x01"}, {"a_b_"}},
        {"apostrophes at the ends only", {"'x'y'"}, {"_x'y_"}},
        {"empty", {""}, {"_"}},
        {"invalid UTF-8", {"ab\xFF"}, {"ab\xEF\xBF\xBD"}},
        {"31 Japanese characters fit", {repeat(a, 31)}, {repeat(a, 31)}},
        {"longer ones are cut", {repeat(a, 40)}, {repeat(a, 31)}},
        {"a surrogate pair is never split", {repeat("x", 30) + emoji, repeat("y", 29) + emoji + "z"},
         {repeat("x", 30), repeat("y", 29) + emoji}},
        {"a cut that ends on an apostrophe", {repeat("x", 30) + "'b"}, {repeat("x", 30) + "_"}},
        {"fixed sheets and Excel's own name", {"集計", "条件", "デッキタイプ", "平均デッキ", "history"},
         {"集計 (2)", "条件 (2)", "デッキタイプ (2)", "平均デッキ (2)", "history (2)"}},
        {"clashes ignore letter case", {"Aggro", "aggro", "AGGRO", "ＡＢ", "ａｂ"},
         {"Aggro", "aggro (2)", "AGGRO (3)", "ＡＢ", "ａｂ (2)"}},
        {"clashes ignore letter case beyond ASCII",
         {"Élan", "élan", "Ωmega", "ωmega", "ΣΑΣ", "σας", "ЁЖ", "ёж", "Ÿ", "ÿ"},
         {"Élan", "élan (2)", "Ωmega", "ωmega (2)", "ΣΑΣ", "σας (2)", "ЁЖ", "ёж (2)", "Ÿ", "ÿ (2)"}},
        {"characters XML cannot hold", {"a\xEF\xBF\xBE\xEF\xBF\xBF"}, {"a\xEF\xBF\xBD\xEF\xBF\xBD"}},
        {"a made name clashes too", {"x (2)", "x", "x"}, {"x (2)", "x", "x (3)"}},
        {"different names that are the same when cut", {repeat(a, 35), repeat(a, 35) + "い"},
         {repeat(a, 31), repeat(a, 27) + " (2)"}},
        {"a clash made by replacing", {"a/b", "a_b", "A?B"}, {"a_b", "a_b (2)", "A_B (3)"}},
    };
    const std::vector<std::string> fixed = {"集計", "デッキタイプ", "平均デッキ", "条件"};
    for (const SheetNameCase& c : cases) {
        EXPECT_EQ(uniqueSheetNames(fixed, c.wanted), c.expected) << c.what;
    }
}

TEST(CaseFolding, SimpleFoldingAtTheEdgesOfItsRanges) {
    const std::pair<char32_t, char32_t> cases[] = {
        {U'A', U'a'},         {U'Z', U'z'},         {U'[', U'['},         {U'\u00B5', U'\u03BC'},  // micro sign
        {U'\u00C0', U'\u00E0'}, {U'\u00D7', U'\u00D7'}, {U'\u00DE', U'\u00FE'}, {U'\u00DF', U'\u00DF'},  // ß: no simple fold
        {U'\u0100', U'\u0101'}, {U'\u0101', U'\u0101'}, {U'\u0130', U'\u0130'}, {U'\u0139', U'\u013A'},
        {U'\u0178', U'\u00FF'}, {U'\u017D', U'\u017E'}, {U'\u017F', U's'},      {U'\u0386', U'\u03AC'},
        {U'\u038F', U'\u03CE'}, {U'\u03A3', U'\u03C3'}, {U'\u03C2', U'\u03C3'}, {U'\u03C9', U'\u03C9'},
        {U'\u0400', U'\u0450'}, {U'\u042F', U'\u044F'}, {U'\u04C0', U'\u04CF'}, {U'\u04C1', U'\u04C2'},
        {U'\u04C2', U'\u04C2'}, {U'\u1E9E', U'\u00DF'}, {U'\uFF21', U'\uFF41'}, {U'\uFF3A', U'\uFF5A'},
        {U'\uFF41', U'\uFF41'}, {U'\u3042', U'\u3042'},
    };
    for (const auto& [c, folded] : cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(simpleCaseFold(c)), static_cast<std::uint32_t>(folded))
            << std::hex << static_cast<std::uint32_t>(c);
    }
}

TEST(SheetNames, ManyClashesKeepTheWholeNameWithin31Units) {
    const std::vector<std::string> wanted(12, repeat("ア", 31));
    const std::vector<std::string> names = uniqueSheetNames({}, wanted);
    EXPECT_EQ(names[0], repeat("ア", 31));
    EXPECT_EQ(names[8], repeat("ア", 27) + " (9)");
    EXPECT_EQ(names[9], repeat("ア", 26) + " (10)");
    EXPECT_EQ(names[11], repeat("ア", 26) + " (12)");
}

}  // namespace
}  // namespace sormel
