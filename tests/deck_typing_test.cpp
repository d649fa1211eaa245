// Typing decks by rules: each kind of condition, the order of the types,
// and the nearest-type fallback with its threshold and ties.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "analysis/deck_typing.h"

namespace sormel {
namespace {

struct Line {
    std::string key;
    double copies;
    DeckPart part = DeckPart::Main;
};
using Deck = std::vector<Line>;

// Runs the decks past a typer as a run would, rows numbered by first sight.
std::vector<DeckTyping> typeDecks(const std::string& rulesText, const std::vector<Deck>& decks,
                                  std::vector<std::string>* names = nullptr, std::vector<bool>* held = nullptr) {
    auto rules = std::make_shared<const TypeRules>(parseTypeRules(rulesText, "r.toml"));
    RuleTyping typing(rules, decks.size());
    std::map<std::string, std::size_t> rows;
    for (std::size_t index = 0; index < decks.size(); ++index) {
        typing.deckStarted(index);
        std::size_t lineNumber = 1;
        for (const Line& line : decks[index]) {
            const std::size_t row = rows.emplace(line.key, rows.size()).first->second;
            DeckEntry entry;
            entry.copies = line.copies;
            entry.cardNumber = line.key;
            entry.part = line.part;
            typing.entryCounted({row, line.key, entry, DeckEncoding::Utf8, lineNumber++, line.key});
        }
        typing.deckFinished(index);
    }
    typing.finish();
    if (names) *names = typing.typeNames();
    if (held) *held = typing.cardsHeld();
    return typing.decks();
}

struct ConditionCase {
    const char* conditions;  // of the type "T", checked before the catch-all "その他"
    Deck deck;
    bool named;  // whether T names the deck
};

TEST(DeckTyping, EveryKindOfCondition) {
    const DeckPart side = DeckPart::Side;
    const ConditionCase cases[] = {
        {"all = [\"A\", \"B\"]", {{"A", 1}, {"B", 2}}, true},
        {"all = [\"A\", \"B\"]", {{"A", 1}}, false},
        {"all = [\"A\"]", {{"A", 1, side}}, false},  // the main part only
        {"all = [\"A\"]", {{"A", 2}, {"A", -2}}, false},  // copies adding up to 0 are not "in"
        {"all = [\"A\"]", {{"A", 0.5}}, true},
        {"any = [\"A\", \"B\"]", {{"B", 1}}, true},
        {"any = [\"A\", \"B\"]", {{"C", 1}}, false},
        {"any = []", {{"C", 1}}, true},  // an empty list states nothing
        {"none = [\"A\"]", {{"A", 1}}, false},
        {"none = [\"A\"]", {{"A", 1, side}}, true},
        {"at_least = { \"A\" = 3 }", {{"A", 2}, {"A", 1}}, true},  // lines of one card add up
        {"at_least = { \"A\" = 3 }", {{"A", 2.9}}, false},         // as read, not rounded
        {"at_least = { \"A\" = 3 }", {{"A", 2}, {"A", 2, side}}, false},
        {"side_all = [\"A\"]", {{"A", 1, side}}, true},
        {"side_all = [\"A\"]", {{"A", 1}}, false},
        {"side_any = [\"A\", \"B\"]", {{"B", 1, side}}, true},
        {"side_any = [\"A\"]", {{"C", 1, side}}, false},
        {"side_none = [\"A\"]", {{"A", 1, side}}, false},
        {"side_none = [\"A\"]", {{"A", 1}}, true},
        {"all = [\"A\"]\nnone = [\"B\"]\nside_any = [\"S\"]", {{"A", 1}, {"S", 1, side}}, true},
        {"all = [\"A\"]\nnone = [\"B\"]\nside_any = [\"S\"]", {{"A", 1}, {"B", 1}, {"S", 1, side}}, false},
    };
    for (const ConditionCase& c : cases) {
        const std::string rules =
            std::string("[[type]]\nname = \"T\"\n") + c.conditions + "\n[[type]]\nname = \"その他\"\n";
        const std::vector<DeckTyping> typed = typeDecks(rules, {c.deck});
        EXPECT_EQ(typed[0].type, c.named ? 0u : 1u) << c.conditions;
        EXPECT_EQ(typed[0].how, TypingWay::Rule) << c.conditions;
    }
}

TEST(DeckTyping, TheFirstTypeThatHoldsNamesTheDeckAndTheRestAreUntyped) {
    std::vector<std::string> names;
    std::vector<bool> held;
    const auto typed = typeDecks(
        "[[type]]\nname = \"全体\"\nall = [\"A\"]\n[[type]]\nname = \"B型\"\nall = [\"B\", \"Z\"]\n"
        "[[type]]\nname = \"分類なし\"\nall = [\"C\"]\n",
        {{{"A", 1}, {"B", 1}}, {{"B", 1}}, {{"C", 1}}, {}}, &names, &held);
    EXPECT_EQ(names, (std::vector<std::string>{"全体 (2)", "B型", "分類なし"}));
    EXPECT_EQ(typed[0].type, 0u);
    EXPECT_EQ(typed[1].type, 2u);
    EXPECT_EQ(typed[1].how, TypingWay::None);
    EXPECT_EQ(typed[2].type, 2u);  // a type named 分類なし is the untyped decks'
    EXPECT_EQ(typed[2].how, TypingWay::Rule);
    EXPECT_EQ(typed[3].how, TypingWay::None);
    EXPECT_EQ(held, (std::vector<bool>{true, true, false, true}));  // A, B, Z, C
}

// Independent cosine similarity of two dense vectors.
double cosine(const std::vector<double>& a, const std::vector<double>& b) {
    double dot = 0, na = 0, nb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        dot += a[i] * b[i];
        na += a[i] * a[i];
        nb += b[i] * b[i];
    }
    return dot / (std::sqrt(na) * std::sqrt(nb));
}

TEST(DeckTyping, TheNearestTypeByTheMeanOfItsRuleNamedDecks) {
    const std::string rules = "similarity = 0.5\n"
                              "[[type]]\nname = \"X\"\nall = [\"A\", \"B\"]\n"
                              "[[type]]\nname = \"Y\"\nall = [\"C\", \"D\"]\n";
    // X's decks: A B E; Y's: C D. The last deck misses X's B but is like X.
    const auto typed = typeDecks(rules, {{{"A", 4}, {"B", 2}}, {{"A", 2}, {"B", 2}, {"E", 2}}, {{"C", 3}, {"D", 3}},
                                         {{"A", 4}, {"E", 1}, {"C", 1}}, {{"Q", 4}}, {}, {{"A", -3}}});
    // X's mean over (A, B, C, D, E) is (3, 2, 0, 0, 1).
    EXPECT_EQ(typed[3].how, TypingWay::Similar);
    EXPECT_EQ(typed[3].type, 0u);
    EXPECT_DOUBLE_EQ(typed[3].similarity, cosine({4, 0, 1, 0, 1}, {3, 2, 0, 0, 1}));
    EXPECT_EQ(typed[4].how, TypingWay::None);  // like nothing
    EXPECT_EQ(typed[5].how, TypingWay::None);  // an empty main part is like nothing
    EXPECT_EQ(typed[6].how, TypingWay::None);  // copies below 0 count as 0
    EXPECT_EQ(typed[6].type, 2u);
}

TEST(DeckTyping, TheThresholdHoldsAtEqualityAndTiesGoToTheEarlierType) {
    // X names decks with A and without B, Y the other way round; a deck of
    // both is missed by both, and is 1/√2 like each type's mean.
    const std::string rules = "[[type]]\nname = \"X\"\nall = [\"A\"]\nnone = [\"B\"]\n"
                              "[[type]]\nname = \"Y\"\nall = [\"B\"]\nnone = [\"A\"]\n";
    const std::vector<Deck> decks = {{{"A", 2}}, {{"B", 2}}, {{"A", 1}, {"B", 1}}, {{"C", 1}}};
    const double half = 1 / std::sqrt(2.0);
    auto typed = typeDecks("similarity = 0.7\n" + rules, decks);
    EXPECT_EQ(typed[2].how, TypingWay::Similar);
    EXPECT_EQ(typed[2].type, 0u);  // X and Y alike: the earlier type
    EXPECT_DOUBLE_EQ(typed[2].similarity, half);
    EXPECT_EQ(typed[3].how, TypingWay::None);  // like neither
    EXPECT_EQ(typeDecks("similarity = 0.7072\n" + rules, decks)[2].how, TypingWay::None);
    EXPECT_EQ(typeDecks("similarity = 0\n" + rules, decks)[2].how, TypingWay::None);  // no fallback
    EXPECT_EQ(typeDecks("similarity = 0.0001\n" + rules, decks)[3].how, TypingWay::None);
}

TEST(DeckTyping, DecksTypedAsSimilarDoNotJoinTheMeans) {
    const std::string rules = "similarity = 0.8\n[[type]]\nname = \"X\"\nall = [\"A\", \"B\"]\nnone = [\"C\"]\n";
    // X's mean is (A, B, C) = (1, 1, 0). The second deck is 0.8165 like it;
    // the third 0.5774, and would be 0.8165 like a mean the second joined.
    const auto typed = typeDecks(rules, {{{"A", 1}, {"B", 1}}, {{"A", 1}, {"B", 1}, {"C", 1}},
                                         {{"A", 1}, {"B", 1}, {"C", 2}}});
    EXPECT_EQ(typed[1].how, TypingWay::Similar);
    EXPECT_EQ(typed[2].how, TypingWay::None);
}

TEST(DeckTyping, SimilaritiesAreShownWithFourDecimals) {
    EXPECT_EQ(shownSimilarity(0.70710678), 0.7071);
    EXPECT_EQ(shownSimilarity(0.99995), 1.0);
    EXPECT_EQ(shownSimilarity(1.0), 1.0);
}

}  // namespace
}  // namespace sormel
