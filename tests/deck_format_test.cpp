// Deck-list formats: the line grammar of plain lists, telling formats
// apart, and whole decks of every format read through the run.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/deck_format.h"
#include "engine/deck_observer.h"
#include "engine/list_marks.h"
#include "engine/list_syntax.h"
#include "engine/numeric_text.h"
#include "engine/tally_run.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;

TEST(ListSyntax, CardLinesCountFirstThenCountLast) {
    struct Case {
        std::string line;
        std::uint64_t count;  // 0: not a card line
        std::string name;
    };
    const std::vector<Case> cases = {
        {"4 Lightning Bolt", 4, "Lightning Bolt"},
        {"4x Lightning Bolt", 4, "Lightning Bolt"},
        {"4X Lightning Bolt", 4, "Lightning Bolt"},
        {"4 x Lightning Bolt", 4, "Lightning Bolt"},
        {"4 \xC3\x97 Lightning Bolt", 4, "Lightning Bolt"},
        {"4\xC3\x97 Bolt", 4, "Bolt"},
        {"4 X-Ray Vision", 4, "X-Ray Vision"},  // an x without a blank after it is part of the name
        {"4 xx", 4, "xx"},
        {"4 x", 4, "x"},
        {"12\t\tTwo  Words ", 12, "Two  Words"},
        {"\xEF\xBC\x93 \xE3\x83\x94\xE3\x82\xAB", 3, "\xE3\x83\x94\xE3\x82\xAB"},  // full-width 3, ピカ
        {"1\xE3\x80\x80\xE5\xAE\x9D", 1, "\xE5\xAE\x9D"},                              // U+3000 as the blank
        {"Lightning Bolt x4", 4, "Lightning Bolt"},
        {"Lightning Bolt X4", 4, "Lightning Bolt"},
        {"Lightning Bolt \xC3\x97" "4", 4, "Lightning Bolt"},
        {"Bolt\xC3\x97" "10", 10, "Bolt"},
        {"\xE3\x83\x94\xE3\x82\xAB 2\xE6\x9E\x9A", 2, "\xE3\x83\x94\xE3\x82\xAB"},      // ピカ 2枚
        {"\xE3\x83\x94\xE3\x82\xAB \xEF\xBC\x92\xE6\x9E\x9A", 2, "\xE3\x83\x94\xE3\x82\xAB"},
        {"4 Bolt x2", 4, "Bolt x2"},  // count first wins
        {"Boltx4", 0, ""},            // count last needs a blank before the x
        {"\xE3\x83\x94\xE3\x82\xAB" "2\xE6\x9E\x9A", 0, ""},  // and before COUNT枚
        {"Bolt x 4", 0, ""},
        {"4Bolt", 0, ""},
        {"4x", 0, ""},
        {"0 Bolt", 0, ""},
        {"Bolt x0", 0, ""},
        {"Lightning Bolt (M10) 146", 0, ""},
        {"Total Cards: 60", 0, ""},
        {"4 ", 0, ""},
        {"x4", 0, ""},
        {"4xOP07-098", 4, "OP07-098"},  // a card code right after the count
        {"10xst01-12a", 10, "st01-12a"},
        {"4XOP07-098", 0, ""},  // only a lower-case x
        {"4xOP-EB", 0, ""},     // a code holds a digit
        {"4x07-098", 0, ""},    // and a letter
        {"0xOP07-098", 0, ""},
        {"4xOP07_098", 0, ""},
    };
    for (const Case& c : cases) {
        const std::optional<ListCardLine> card = parseListCardLine(trimBlanks(c.line));
        if (c.count == 0) {
            EXPECT_FALSE(card.has_value()) << c.line;
            continue;
        }
        ASSERT_TRUE(card.has_value()) << c.line;
        EXPECT_EQ(card->count.value, c.count) << c.line;
        EXPECT_EQ(card->name, c.name) << c.line;
        EXPECT_FALSE(card->count.tooLarge) << c.line;
    }
    EXPECT_TRUE(parseListCardLine("2147483648 Bolt")->count.tooLarge);
    EXPECT_FALSE(parseListCardLine("2147483647 Bolt")->count.tooLarge);
    EXPECT_TRUE(parseListCardLine("Bolt x99999999999999999999999")->count.tooLarge);
}

TEST(ListSyntax, SectionsInAnyLetterCaseWithColonAndCount) {
    const std::map<std::string, ListSection> cases = {
        {"Deck", ListSection::Main},          {"MAIN", ListSection::Main},
        {"Maindeck", ListSection::Main},      {"Main deck", ListSection::Main},
        {"main  deck: 60", ListSection::Main}, {"Commander", ListSection::Main},
        {"Companion:", ListSection::Main},    {"\xE3\x83\xA1\xE3\x82\xA4\xE3\x83\xB3", ListSection::Main},
        {"\xE3\x83\xA1\xE3\x82\xA4\xE3\x83\xB3\xE3\x83\x87\xE3\x83\x83\xE3\x82\xAD", ListSection::Main},
        {"Pok\xC3\xA9mon: 12", ListSection::Main}, {"POK\xC3\x89MON", ListSection::Main},
        {"Trainer: 36", ListSection::Main},  {"Energy 12", ListSection::Main},
        {"Sideboard", ListSection::Side},     {"sideboard: 15", ListSection::Side},
        {"Side", ListSection::Side},          {"SB:", ListSection::Side},
        {"\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x89", ListSection::Side},
        {"\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x89\xE3\x83\x87\xE3\x83\x83\xE3\x82\xAD", ListSection::Side},
        {"\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x89\xE3\x83\x9C\xE3\x83\xBC\xE3\x83\x89\xEF\xBC\x9A", ListSection::None},
        {"Sideboarding", ListSection::None},  {"Decklist", ListSection::None},
        {"Pokemon", ListSection::None},       {"SB: 2 Duress", ListSection::None},
        {"Energy x12", ListSection::None},    {"Main: 4 Bolt", ListSection::None},
        {"Arena cards", ListSection::Main},   {"DECK CARDS: 52", ListSection::Main},
        {"Equipment", ListSection::Main},     {"weapons:", ListSection::Main},
        {"MAYBEBOARD:", ListSection::NotCounted}, {"Maybe", ListSection::NotCounted},
        {"Considering 3", ListSection::NotCounted}, {"Tokens", ListSection::NotCounted},
        {"token:", ListSection::NotCounted},  {"Maybeboarding", ListSection::None},
        {"[Main]", ListSection::Main},        {"[COMMANDER]", ListSection::Main},
        {"[sideboard]", ListSection::Side},   {"[metadata]", ListSection::NotCounted},
        {"[Creatures]", ListSection::NotCounted}, {"[ Main ]", ListSection::Main},
        {"[Main] 4 Bolt", ListSection::None},
    };
    for (const auto& [line, section] : cases) EXPECT_EQ(parseListSection(line), section) << line;
    EXPECT_EQ(afterSideboardMark("SB: 2 Duress"), std::optional<std::string_view>("2 Duress"));
    EXPECT_EQ(afterSideboardMark("sb :2 Duress"), std::optional<std::string_view>("2 Duress"));
    EXPECT_FALSE(afterSideboardMark("SBX: 2 Duress").has_value());
}

TEST(ListSyntax, PrintingMarksLeaveTheCardName) {
    const std::map<std::string, std::string> cases = {
        {"Lightning Bolt (M10) 146", "Lightning Bolt"},
        {"Lightning Bolt (2XM) 141", "Lightning Bolt"},
        {"Pikachu ex SVI 57", "Pikachu ex"},
        {"Arcanine PAL 32a", "Arcanine"},
        {"Bolt (m10) 146", "Bolt"},                 // a set in parentheses in either case
        {"Bolt m10 146", "Bolt m10 146"},           // and without them in upper case
        {"Bolt (ABCDEF) 1", "Bolt (ABCDEF) 1"},     // of 2 to 5 characters
        {"Bolt ABCDEF 1", "Bolt ABCDEF 1"},
        {"Lightning Bolt (ABCDE) 123", "Lightning Bolt"},
        {"Lightning Bolt ABCDE 123", "Lightning Bolt"},
        {"Bolt M10 14ab", "Bolt M10 14ab"},         // one letter after the number at most
        {"Sol Ring (PLST) 2XM-117", "Sol Ring"},    // unless the set is in parentheses
        {"Pika (SV4a) 12\xE2\x98\x85", "Pika"},
        {"Sol Ring (c21) 263 *F*", "Sol Ring"},
        {"Sol Ring *E* (c21) 263 *CMDR*", "Sol Ring"},  // every mark, in any order
        {"Sol Ring *F-1*", "Sol Ring *F-1*"},
        {"Lightning Bolt|M10", "Lightning Bolt"},
        {"Lightning Bolt|M10|2", "Lightning Bolt"},
        {"Lightning Bolt|M10|a", "Lightning Bolt|M10|a"},
        {"|M10", "|M10"},
        {"*F*", "*F*"},
        {"Bolt (M10)", "Bolt (M10)"},
        {"SVI 57", "SVI 57"},                        // nothing before the mark
        {"Force of Will", "Force of Will"},
        {"Tri Lv 12", "Tri Lv 12"},
    };
    for (const auto& [name, card] : cases) EXPECT_EQ(withoutPrintingMark(name), card) << name;
}

TEST(ListSyntax, TagsLeaveNumberAndNameAndMayMoveTheCard) {
    struct Case {
        std::string name;
        std::string number;
        std::string card;
        TaggedPart part;
    };
    const std::vector<Case> cases = {
        {"Sol Ring (c21) 263 *F* [Ramp]", "Sol Ring (c21) 263 *F*", "Sol Ring", TaggedPart::Unchanged},
        {"Sol Ring [Ramp,Draw] ^Have,#37d67a^", "Sol Ring", "Sol Ring", TaggedPart::Unchanged},
        {"Duress [Sideboard]", "Duress", "Duress", TaggedPart::Side},
        {"Duress [Removal,sideboard{top}]", "Duress", "Duress", TaggedPart::Side},
        {"Opt [Maybeboard{noDeck}{noPrice},Draw]", "Opt", "Opt", TaggedPart::NotCounted},
        {"Opt [Sideboard] [Draw{noDeck}]", "Opt", "Opt", TaggedPart::NotCounted},
        {"Opt [Draw{noDeck}] [Sideboard]", "Opt", "Opt", TaggedPart::NotCounted},
        {"[Ramp]", "[Ramp]", "[Ramp]", TaggedPart::Unchanged},  // nothing would be left
        {"Sol[Ramp]", "Sol[Ramp]", "Sol[Ramp]", TaggedPart::Unchanged},
    };
    for (const Case& c : cases) {
        const ListName name = splitListName(c.name);
        EXPECT_EQ(name.cardNumber, c.number) << c.name;
        EXPECT_EQ(name.cardName, c.card) << c.name;
        EXPECT_EQ(name.part, c.part) << c.name;
    }
}

TEST(DeckFormatDetection, FirstRuleThatHoldsWins) {
    struct Case {
        std::string text;
        DeckFormat format;
    };
    const std::vector<Case> cases = {
        {"<?xml version=\"1.0\"?><Deck/>", DeckFormat::Dek},
        {" \r\n<Deck>\n</Deck>", DeckFormat::Dek},
        {"3,AB-001,x\n4 Lightning Bolt\n", DeckFormat::Native},
        {"4 Lightning Bolt\n3,AB-001,x\n", DeckFormat::Native},  // a native line anywhere
        {"4 Bolt\n 3 ,AB,x\n", DeckFormat::Native},
        {"4 Bolt\n1.5,AB,x\n", DeckFormat::Native},
        {"4 Bolt\n3\xE6\x9E\x9A,AB,x\n", DeckFormat::Native},
        {"4 Bolt\n3 \xE6\x9E\x9A,AB,x\n", DeckFormat::Native},
        {"4 Bolt\n--\n", DeckFormat::Native},
        {"#main\n1234\n--\n", DeckFormat::Native},
        {"4 Uro, Titan of Nature's Wrath\n", DeckFormat::List},
        {"2x Teferi, Time Raveler\n", DeckFormat::List},
        {"0,AB,x\n4 Bolt\n", DeckFormat::List},  // a zero count is no native line
        {"#created\n#main\n1234\n", DeckFormat::Ydk},
        {"4 Bolt\n!side\n", DeckFormat::Ydk},
        {"Deck\nSideboard\n", DeckFormat::Native},  // no card line at all
        {"", DeckFormat::Native},
        {"\xE6\x9E\x9A\xE6\x95\xB0,\xE3\x82\xAB\xE3\x83\xBC\xE3\x83\x89\n", DeckFormat::Native},
    };
    for (const Case& c : cases) EXPECT_EQ(detectDeckFormat(c.text, DeckEncoding::Utf8), c.format) << c.text;
    // Code page 932: 枚 is 96 87.
    EXPECT_EQ(detectDeckFormat("4 Bolt\r\n3\x96\x87,AB,x\r\n", DeckEncoding::Cp932), DeckFormat::Native);
    EXPECT_EQ(detectDeckFormat("\x83\x73\x83\x4A 2\x96\x87\r\n", DeckEncoding::Cp932), DeckFormat::List);
}

// Collects what a run counted and skipped.
class Recorder : public DeckObserver {
public:
    std::vector<std::string> counted;  // "key copies M|S"
    std::vector<std::string> skipped;  // "deck:line:text"
    void entryCounted(const CountedEntry& c) override {
        counted.push_back(std::string(c.key) + ' ' + numberText(c.entry.copies) +
                          (c.entry.part == DeckPart::Side ? " S" : " M"));
    }
    void lineSkipped(std::size_t index, std::size_t line, const std::string& text) override {
        skipped.push_back(std::to_string(index) + ':' + std::to_string(line) + ':' + text);
    }
};

class DeckFormatRun : public ::testing::Test {
protected:
    TallyResult read(const std::string& name, const std::string& text, bool side = true, bool merge = false) {
        recorder = Recorder();
        TallyOptions options;
        options.includeSidePart = side;
        options.mergeByName = merge;
        options.observer = &recorder;
        TallyHost host;
        return runTally(table, DeckFiles::ofPaths({folder.write(name, text)}), options, host);
    }
    ScratchFolder folder;
    UsageTable table;
    Recorder recorder;
};

TEST_F(DeckFormatRun, ABlankLineAfterCardsBeginsTheSideOnlyInAListWithoutSections) {
    read("mtgo.txt", "\n4 Bolt\n\n2 Duress\n\n1 Island\n");
    EXPECT_EQ(recorder.counted, (std::vector<std::string>{"Bolt 4 M", "Duress 2 S", "Island 1 S"}));
    read("arena.txt", "Deck\n4 Bolt\n\n2 Shock\nSideboard\n2 Duress\n\nCompanion\n1 Lurrus\n");
    EXPECT_EQ(recorder.counted, (std::vector<std::string>{"Bolt 4 M", "Shock 2 M", "Duress 2 S", "Lurrus 1 M"}));
    read("sb.txt", "4 Bolt\n\n2 Shock\nSB: 2 Duress\n");
    EXPECT_EQ(recorder.counted, (std::vector<std::string>{"Bolt 4 M", "Shock 2 M", "Duress 2 S"}));
}

TEST_F(DeckFormatRun, ListsOfOtherGamesAndDeckSitesGiveTheirCardsAndParts) {
    struct Case {
        const char* text;
        std::vector<std::string> counted;
        std::vector<std::string> skipped;
    };
    const std::vector<Case> cases = {
        {"4xOP07-098\n2xOP01-016\n\nSB: 1xST01-012\n",
         {"OP07-098 4 M", "OP01-016 2 M", "ST01-012 1 S"}, {}},
        {"Name: Dori\nHero: Dorinthea Ironsong\nFormat: Classic\n\nArena cards\n1x Dawnblade\n\n"
         "Deck cards\n3x Warrior's Valor (red)\n",
         {"Dorinthea Ironsong 1 M", "Dawnblade 1 M", "Warrior's Valor (red) 3 M"},
         {"0:1:Name: Dori", "0:3:Format: Classic"}},
        {"[metadata]\nName=Burn\n[Main]\n4 Lightning Bolt|M10\n\n[Sideboard]\n2 Duress|M10|1\n",
         {"Lightning Bolt|M10 4 M", "Duress|M10|1 2 S"}, {"0:2:Name=Burn"}},
        {"1 Sol Ring (c21) 263 *F* [Ramp]\n1 Opt [Maybeboard{noDeck}]\n1 Duress [Sideboard]\n\n"
         "MAYBEBOARD:\n1 Ponder\n",
         {"Sol Ring (c21) 263 *F* 1 M", "Duress 1 S"}, {"0:2:1 Opt [Maybeboard{noDeck}]", "0:6:1 Ponder"}},
        {"Deck\n4 Bolt\nTokens\n1 Goblin\nSideboard\n2 Duress\n",
         {"Bolt 4 M", "Duress 2 S"}, {"0:4:1 Goblin"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read("a.txt", c.text).outcome, TallyOutcome::Completed) << c.text;
        EXPECT_EQ(recorder.counted, c.counted) << c.text;
        EXPECT_EQ(recorder.skipped, c.skipped) << c.text;
    }
    // Side entries, wherever they come from, are left out with the side part.
    read("b.txt", "[Main]\n4 Bolt\n1 Duress [Sideboard]\n[Sideboard]\n1 Negate\n", false);
    EXPECT_EQ(recorder.counted, std::vector<std::string>{"Bolt 4 M"});
    read("c.txt", "4 Bolt|M10\n4 Bolt|2XM\n", true, true);
    ASSERT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(table.row(0).cardName, "Bolt");
}

TEST_F(DeckFormatRun, AnUnknownBracketedHeadingHidesItsCardsWithAWarning) {
    const TallyResult result = read("d.dck", "[Main]\n4 Bolt\n[Creatures]\n4 Goblin Guide\n[metadata]\nName=x\n");
    EXPECT_EQ(recorder.counted, std::vector<std::string>{"Bolt 4 M"});
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].line, 3u);
    EXPECT_NE(result.warnings[0].message.find("[Creatures]"), std::string::npos);
}

TEST_F(DeckFormatRun, WithoutTheSidePartAListLeavesSideEntriesOutAndComesBackToItsMain) {
    read("a.txt", "Deck\n4 Bolt\nSideboard\n2 Duress\nSB: 1 Negate\nMain\n1 Island\n", false);
    EXPECT_EQ(recorder.counted, (std::vector<std::string>{"Bolt 4 M", "Island 1 M"}));
    read("b.ydk", "#main\n100\n!side\n200\n#extra\n300\n", false);
    EXPECT_EQ(recorder.counted, (std::vector<std::string>{"100 1 M", "300 1 M"}));
    read("c.dek", "<Deck><Cards Quantity=\"1\" Sideboard=\"true\" Name=\"S\"/><Cards Quantity=\"2\" Name=\"M\"/></Deck>",
         false);
    EXPECT_EQ(recorder.counted, (std::vector<std::string>{"M 2 M"}));
}

TEST_F(DeckFormatRun, YdkAndDekDecksWithTheirSections) {
    EXPECT_EQ(read("a.ydk", "#created by someone\r\n#main\r\n89631139\r\n89631139\r\n#extra\r\n1\r\n!side\r\n2\r\nnote\r\n")
                  .outcome,
              TallyOutcome::Completed);
    EXPECT_EQ(recorder.counted,
              (std::vector<std::string>{"89631139 1 M", "89631139 1 M", "1 1 M", "2 1 S"}));
    EXPECT_EQ(recorder.skipped, (std::vector<std::string>{"0:1:#created by someone", "0:9:note"}));
    EXPECT_EQ(table.row(0).cardNumber, "89631139");
    EXPECT_EQ(table.row(0).copies, 2);

    read("b.dek",
         "<?xml version=\"1.0\" encoding=\"utf-16\"?>\n<Deck xmlns:xsd=\"x\">\n"
         "  <Cards CatID=\"1\" Quantity=\"4\" Sideboard=\"false\" Name=\"Fire &amp; Ice &#x3042;\" />\n"
         "  <Cards CatID=\"2\" Quantity=\"2\" Sideboard=\"TRUE\" Name=\"Duress\" Annotation=\"0\"/>\n"
         "  <Cards CatID=\"3\" Quantity=\"0\" Sideboard=\"false\" Name=\"Nothing\"/>\n</Deck>\n");
    EXPECT_EQ(recorder.counted, (std::vector<std::string>{"Fire & Ice \xE3\x81\x82 4 M", "Duress 2 S"}));
}

TEST_F(DeckFormatRun, BrokenFilesAndCountsOutOfRangeNameTheFileAndLine) {
    TallyResult result = read("bad.dek", "<?xml version=\"1.0\"?>\n<Deck>\n<Cards Quantity=\"1\" Name=\"A\">\n</Deck>\n");
    EXPECT_EQ(result.outcome, TallyOutcome::Failed);
    EXPECT_NE(result.message.find("bad.dek（4 行目）"), std::string::npos) << result.message;
    result = read("q.dek", "<Deck>\n<Cards Quantity=\"four\" Name=\"A\"/>\n</Deck>");
    EXPECT_NE(result.message.find("q.dek（2 行目）"), std::string::npos) << result.message;
    result = read("big.dek", "<Deck>\n\n<Cards Quantity=\"2147483648\" Name=\"A\"/>\n</Deck>");
    EXPECT_NE(result.message.find("big.dek（3 行目）"), std::string::npos) << result.message;
    result = read("big.txt", "Deck\n4 Bolt\n2147483648 Island\n");
    EXPECT_EQ(result.outcome, TallyOutcome::Failed);
    EXPECT_NE(result.message.find("オーバーフロー"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("big.txt（3 行目）"), std::string::npos) << result.message;
    // The largest count that fits is read as it is.
    EXPECT_EQ(read("max.txt", "2147483647 Island\n").outcome, TallyOutcome::Completed);
}

TEST_F(DeckFormatRun, BlanksBeforeTheXmlDeclarationAreReadPastAndCountedInLineNumbers) {
    struct Case {
        const char* text;
        const char* found;  // a card read, or the place of the error
    };
    const Case cases[] = {
        {"\n\n<?xml version=\"1.0\"?>\n<Deck><Cards Quantity=\"2\" Name=\"A\"/></Deck>", "A 2 M"},
        {" \t\xE3\x80\x80\r\n<?xml version=\"1.0\"?><Deck><Cards Quantity=\"1\" Name=\"B\"/></Deck>", "B 1 M"},
        {"\r\n\r\r\n<?xml version=\"1.0\"?>\n<Deck>\n<Cards Quantity=\"x\" Name=\"A\"/>\n</Deck>", "d.dek（6 行目）"},
        {"\n\n<?xml version=\"1.0\"?>\n<Deck>\n<Cards Quantity=\"1\" Name=\"A\">\n</Deck>\n", "d.dek（6 行目）"},
    };
    for (const Case& c : cases) {
        const TallyResult result = read("d.dek", c.text);
        if (result.outcome == TallyOutcome::Completed) {
            EXPECT_EQ(recorder.counted, std::vector<std::string>{c.found}) << c.text;
        } else {
            EXPECT_NE(result.message.find(c.found), std::string::npos) << result.message;
        }
    }
}

TEST_F(DeckFormatRun, MergingByNameMakesTwoPrintingsOneRowCountedOncePerDeck) {
    read("a.txt", "2 Lightning Bolt (M10) 146\n2 Lightning Bolt (2XM) 141\n1 Shock\n", true, true);
    ASSERT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.row(0).cardNumber, "Lightning Bolt (M10) 146");  // the first line that brought the name
    EXPECT_EQ(table.row(0).cardName, "Lightning Bolt");
    EXPECT_EQ(table.row(0).decks, 1);
    EXPECT_EQ(table.row(0).copies, 4);
    // Native lines without a name are keyed by their number.
    read("b.txt", "1,AB-1,Name\n1,AB-2,Name\n1,AB-3,\n1,AB-3,\n", true, true);
    ASSERT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.row(0).cardNumber, "AB-1");
    EXPECT_EQ(table.row(0).copies, 2);
    EXPECT_EQ(table.row(1).cardNumber, "AB-3");
    EXPECT_EQ(table.row(1).copies, 2);
    // Without merging, each printing is its own row.
    read("c.txt", "2 Lightning Bolt (M10) 146\n2 Lightning Bolt (2XM) 141\n");
    EXPECT_EQ(table.rowCount(), 2u);
}

TEST_F(DeckFormatRun, Cp932ListsAndNativeHeadersAreReadAndSkippedLinesListed) {
    // ピカチュウ ×2 and 3枚 in code page 932.
    read("jp.txt", "\x83\x73\x83\x4A\x83\x60\x83\x85\x83\x45 \x81\x7E" "2\r\n\x83\x73\x83\x4A 3\x96\x87\r\n");
    ASSERT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.row(0).cardNumber, "\xE3\x83\x94\xE3\x82\xAB");
    EXPECT_EQ(table.row(0).copies, 3);
    read("n.txt", "\x96\x87\x90\x94,\x83\x4A\x81\x5B\x83\x68\r\n  \r\n3,AB,x\r\n0,CD,y\r\n");
    EXPECT_EQ(recorder.skipped, (std::vector<std::string>{"0:1:\xE6\x9E\x9A\xE6\x95\xB0,\xE3\x82\xAB\xE3\x83\xBC\xE3\x83\x89",
                                                          "0:4:0,CD,y"}));
}

}  // namespace
}  // namespace sormel
