// Deck files of other programs and deck sites (CSV exports, Cockatrice,
// OCTGN, ydke:// URLs): telling them apart, and what a run reads from them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/csv_records.h"
#include "engine/deck_format.h"
#include "engine/deck_observer.h"
#include "engine/numeric_text.h"
#include "engine/tally_run.h"
#include "engine/ydke_deck_reader.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;

TEST(ExportedFormatDetection, RootElementFirstLineOrHeaderDecides) {
    struct Case {
        std::string text;
        DeckFormat format;
    };
    const std::vector<Case> cases = {
        {"<?xml version=\"1.0\"?>\n<!-- x --><cockatrice_deck version=\"1\"/>", DeckFormat::Cod},
        {"  <deck game=\"x\"><section name=\"Main\"/></deck>", DeckFormat::O8d},
        {"<?xml version=\"1.0\"?><Deck/>", DeckFormat::Dek},
        {"<?xml version=\"1.0\"?><!DOCTYPE x><collection/>", DeckFormat::Xml},
        {"<Decks/>", DeckFormat::Xml},
        {"<?xml version=\"1.0\"?>", DeckFormat::Dek},  // no root: the .dek reader says what is wrong
        {"<b>4 Bolt</b>\n4 Bolt\n", DeckFormat::List},
        {"\n  ydke://AAAA!!!\n", DeckFormat::Ydke},
        {"4 Bolt\nydke://AAAA!!!\n", DeckFormat::List},
        {"Count,Tradelist Count,Name,Edition\n4,0,Bolt,M10\n", DeckFormat::Csv},
        {"\n\"Card Name\", QTY \n", DeckFormat::Csv},
        {"\"Qty\nx\",Name\n", DeckFormat::Native},  // a heading with a line break in it is none
        {"Name,Set\n", DeckFormat::Native},          // a count column is needed
        {"3,AB-001,Name\n", DeckFormat::Native},
        {"count,number,name\n1,AB-1,x\n--\n", DeckFormat::Native},  // the own format's header
        {"Count,Card Number,Name\n", DeckFormat::Csv},
        {"Qty,Set,Name\n", DeckFormat::Csv},
        {"count,number,name,extra\n", DeckFormat::Csv},
        {"\xE6\x9E\x9A\xE6\x95\xB0,\xE3\x82\xAB\xE3\x83\xBC\xE3\x83\x89\xE7\x95\xAA\xE5\x8F\xB7,"
         "\xE3\x82\xAB\xE3\x83\xBC\xE3\x83\x89\xE5\x90\x8D\n3,AB-001,x\n",
         DeckFormat::Native},
        {"4xOP07-098\n", DeckFormat::List},
    };
    for (const Case& c : cases) EXPECT_EQ(detectDeckFormat(c.text, DeckEncoding::Utf8), c.format) << c.text;
}

TEST(CsvRecords, QuotesDoubledQuotesAndLineBreaksInsideThem) {
    CsvRecordCursor cursor("a,\"b,\"\"c\"\"\",d\r\n\"x\r\ny\",\n\nlast");
    std::vector<std::string> fields;
    ASSERT_TRUE(cursor.next(fields));
    EXPECT_EQ(fields, (std::vector<std::string>{"a", "b,\"c\"", "d"}));
    ASSERT_TRUE(cursor.next(fields));
    EXPECT_EQ(fields, (std::vector<std::string>{"x\r\ny", ""}));
    EXPECT_EQ(cursor.lineNumber(), 2u);
    ASSERT_TRUE(cursor.next(fields));
    EXPECT_TRUE(isBlankRecord(fields));
    ASSERT_TRUE(cursor.next(fields));
    EXPECT_EQ(fields, std::vector<std::string>{"last"});
    EXPECT_EQ(cursor.lineNumber(), 5u);
    EXPECT_FALSE(cursor.next(fields));
}

TEST(Base64, StandardAlphabetWithPadding) {
    EXPECT_EQ(decodeBase64(""), std::optional<std::string>(""));
    EXPECT_EQ(decodeBase64("TWFu"), std::optional<std::string>("Man"));
    EXPECT_EQ(decodeBase64("TWE="), std::optional<std::string>("Ma"));
    EXPECT_EQ(decodeBase64("TQ=="), std::optional<std::string>("M"));
    EXPECT_EQ(decodeBase64("+/+/"), std::optional<std::string>("\xFB\xFF\xBF"));
    for (const char* bad : {"TWF", "T===", "TQ=a", "TW=u", "TWFu=", "TW-u", "TWFu TWFu"}) {
        EXPECT_FALSE(decodeBase64(bad).has_value()) << bad;
    }
}

class Recorder : public DeckObserver {
public:
    std::vector<std::string> counted;  // "number|name copies M|S"
    std::vector<std::string> skipped;  // "line:text"
    void entryCounted(const CountedEntry& c) override {
        counted.push_back(std::string(c.cardNumber) + '|' + c.cardName() + ' ' + numberText(c.entry.copies) +
                          (c.entry.part == DeckPart::Side ? " S" : " M"));
    }
    void lineSkipped(std::size_t, std::size_t line, const std::string& text) override {
        skipped.push_back(std::to_string(line) + ':' + text);
    }
};

class ExportedFormatRun : public ::testing::Test {
protected:
    TallyResult read(const std::string& name, const std::string& text, bool side = true) {
        recorder = Recorder();
        TallyOptions options;
        options.includeSidePart = side;
        options.observer = &recorder;
        TallyHost host;
        return runTally(table, DeckFiles::ofPaths({folder.write(name, text)}), options, host);
    }
    ScratchFolder folder;
    UsageTable table;
    Recorder recorder;
};

TEST_F(ExportedFormatRun, CsvRowsByTheirHeader) {
    struct Case {
        const char* text;
        std::vector<std::string> counted;
        std::size_t warnings;
    };
    const std::vector<Case> cases = {
        {"Count,Tradelist Count,Name,Edition,Condition,Language,Foil,Tags,Last Modified,Collector Number\n"
         "4,0,Lightning Bolt,m10,Near Mint,English,,,2024-01-01,146\n"
         "\"2\",\"0\",\"Fire // Ice\",\"mh2\",,,,,,\n",
         {"Lightning Bolt (m10) 146|Lightning Bolt 4 M", "Fire // Ice (mh2)|Fire // Ice 2 M"}, 0},
        {"Quantity,Name,Board\n1,Sol Ring,commander\n2,Duress,Sideboard\n1,Opt,maybeboard\n1,Treasure, Tokens \n",
         {"Sol Ring|Sol Ring 1 M", "Duress|Duress 2 S"}, 0},
        {"Qty,Card Name,Sideboard\n 3 ,Bolt,false\n1,Negate,TRUE\n1,Opt,1\n",
         {"Bolt|Bolt 3 M", "Negate|Negate 1 S", "Opt|Opt 1 S"}, 0},
        {"Amount,Card,Board\nfour,Bolt,main\n0,Shock,main\n,Opt,main\nfour,Ponder,maybe\n1,\"Two\nLines\",main\n",
         {"Two\nLines|Two\nLines 1 M"}, 3},
        {"Count,Quantity,Name,Card Name\n1,9,First,Second\n", {"First|First 1 M"}, 0},
    };
    for (const Case& c : cases) {
        const TallyResult result = read("a.csv", c.text);
        EXPECT_EQ(result.outcome, TallyOutcome::Completed) << c.text;
        EXPECT_EQ(recorder.counted, c.counted) << c.text;
        EXPECT_EQ(result.warnings.size(), c.warnings) << c.text;
    }
    const TallyResult result = read("b.csv", "Count,Name\n1,A\n\nx,B\n");
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].line, 4u);
    EXPECT_NE(result.warnings[0].message.find("x"), std::string::npos);
    EXPECT_EQ(read("c.csv", "Count,Name\n2147483648,A\n").outcome, TallyOutcome::Failed);
}

TEST_F(ExportedFormatRun, CockatriceAndOctgnDecksByZoneAndSection) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<std::string> counted;
    };
    const std::vector<Case> cases = {
        {"a.cod",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cockatrice_deck version=\"1\">\n<deckname>Burn</deckname>\n"
         "<zone name=\"main\">\n<card number=\"4\" name=\"Lightning Bolt\"/>\n<card number=\"0\" name=\"None\"/>\n"
         "</zone>\n<zone name=\"side\"><card number=\"2\" name=\"Duress\"/></zone>\n"
         "<zone name=\"tokens\"><card number=\"x\" name=\"Goblin\"/></zone>\n<card number=\"1\" name=\"Loose\"/>\n"
         "</cockatrice_deck>\n",
         {"Lightning Bolt|Lightning Bolt 4 M", "Duress|Duress 2 S"}},
        {"b.o8d",
         "<?xml version=\"1.0\"?>\n<deck game=\"a6c8d2e8\">\n<section name=\"Main\" shared=\"False\">\n"
         "<card qty=\"3\" id=\"c1\"> Fire &amp; Ice </card>\n</section>\n<section name=\"Sideboard\">\n"
         "<card qty=\"1\" id=\"c2\">Negate</card>\n</section>\n<section name=\"Command Zone\">\n"
         "<card qty=\"1\" id=\"c3\">Hero</card>\n</section>\n</deck>\n",
         {"Fire & Ice|Fire & Ice 3 M", "Negate|Negate 1 S", "Hero|Hero 1 M"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read(c.name, c.text).outcome, TallyOutcome::Completed) << c.text;
        EXPECT_EQ(recorder.counted, c.counted) << c.text;
    }
    read("c.cod", "<cockatrice_deck><zone name=\"side\"><card number=\"2\" name=\"S\"/></zone></cockatrice_deck>", false);
    EXPECT_TRUE(recorder.counted.empty());
}

TEST_F(ExportedFormatRun, BrokenXmlCountsStopTheRunNamingFileAndLine) {
    struct Case {
        const char* name;
        const char* text;
        const char* place;
    };
    const Case cases[] = {
        {"a.cod", "<cockatrice_deck>\n<zone name=\"main\">\n<card name=\"A\"/>\n</zone></cockatrice_deck>", "a.cod（3 行目）"},
        {"b.cod", "<cockatrice_deck>\n<zone name=\"main\">\n\n<card number=\"1.5\" name=\"A\"/>\n</zone></cockatrice_deck>",
         "b.cod（4 行目）"},
        {"c.o8d", "<deck>\n<section name=\"Main\">\n<card qty=\"two\">A</card>\n</section></deck>", "c.o8d（3 行目）"},
        {"d.o8d", "<deck>\n<section name=\"Main\">\n<card id=\"1\">A</card>\n</section></deck>", "d.o8d（3 行目）"},
        {"e.o8d", "<deck>\n<section name=\"Main\">\n<card qty=\"1\">A</section></deck>", "e.o8d（3 行目）"},
    };
    for (const Case& c : cases) {
        const TallyResult result = read(c.name, c.text);
        EXPECT_EQ(result.outcome, TallyOutcome::Failed) << c.text;
        EXPECT_NE(result.message.find(c.place), std::string::npos) << result.message;
    }
}

TEST(ExportedFormatMix, OneFolderOfEveryFormatIsTalliedAsOne) {
    ScratchFolder folder;
    const std::vector<std::filesystem::path> files = {
        folder.write("a.cod", "<cockatrice_deck><zone name=\"main\"><card number=\"4\" name=\"Bolt\"/></zone>"
                              "<zone name=\"side\"><card number=\"1\" name=\"Duress\"/></zone></cockatrice_deck>"),
        folder.write("b.csv", "Quantity,Name,Board\n2,Bolt,main\n1,Duress,side\n"),
        folder.write("c.txt", "4xOP07-098\n"),
        folder.write("d.txt", "3,Bolt,Bolt\n"),
        folder.write("e.txt", "ydke://AQAAAA==!!!\n"),
        folder.write("f.o8d", "<deck><section name=\"Main\"><card qty=\"1\">Bolt</card></section></deck>"),
    };
    UsageTable table;
    TallyOptions options;
    options.includeSidePart = false;
    TallyHost host;
    const TallyResult result = runTally(table, DeckFiles::ofPaths(files), options, host);
    ASSERT_EQ(result.outcome, TallyOutcome::Completed) << result.message;
    EXPECT_TRUE(result.warnings.empty());
    ASSERT_EQ(table.rowCount(), 3u);  // Bolt, OP07-098, 1: the side part is left out
    const UsageRow* bolt = table.rowShowing("Bolt");
    ASSERT_NE(bolt, nullptr);
    EXPECT_EQ(bolt->decks, 4);
    EXPECT_EQ(bolt->copies, 10);
    std::vector<std::size_t> byFormat(kDeckFormatCount);
    for (const DeckFormat format : {DeckFormat::Cod, DeckFormat::Csv, DeckFormat::List, DeckFormat::Native,
                                    DeckFormat::Ydke, DeckFormat::O8d}) {
        byFormat[static_cast<std::size_t>(format)] = 1;
    }
    EXPECT_EQ(result.filesByFormat, byFormat);
}

TEST_F(ExportedFormatRun, AFileNotInTheFormatAskedForHoldsNoCardAndWarns) {
    for (const DeckFormat format : {DeckFormat::Cod, DeckFormat::O8d, DeckFormat::Ydke, DeckFormat::Csv}) {
        recorder = Recorder();
        TallyOptions options;
        options.format = format;
        options.observer = &recorder;
        TallyHost host;
        const DeckFiles files = DeckFiles::ofPaths({folder.write("a.txt", "4 Bolt\n<Deck/>\n")});
        const TallyResult result = runTally(table, files, options, host);
        EXPECT_EQ(result.outcome, TallyOutcome::Completed) << deckFormatName(format);
        EXPECT_TRUE(recorder.counted.empty()) << deckFormatName(format);
        ASSERT_EQ(result.warnings.size(), 1u) << deckFormatName(format);
        EXPECT_EQ(result.warnings[0].line, 0u);
    }
}

TEST_F(ExportedFormatRun, AnUnknownXmlRootIsADeckWithoutCardsAndAWarning) {
    const TallyResult result = read("x.xml", "<?xml version=\"1.0\"?>\n<collection><card qty=\"1\">A</card></collection>");
    EXPECT_EQ(result.outcome, TallyOutcome::Completed);
    EXPECT_TRUE(recorder.counted.empty());
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].message.find("collection"), std::string::npos);
}

TEST_F(ExportedFormatRun, YdkeUrlsGiveOneCopyPerIdInTheirParts) {
    // 6983534 = 0x006A906E, 89631139 = 0x0557A7A3, 1 = 0x00000001.
    const std::string main = "bo9qAKOpVwU=";  // 6983534, 89631139
    const std::string extra = "AQAAAA==";     // 1
    const std::string side = "o6lXBQ==";      // 89631139
    EXPECT_EQ(read("a.txt", "\n  ydke://" + main + "!" + extra + "!" + side + "!  \nnote\n").outcome,
              TallyOutcome::Completed);
    EXPECT_EQ(recorder.counted, (std::vector<std::string>{"6983534|6983534 1 M", "89631139|89631139 1 M", "1|1 1 M",
                                                          "89631139|89631139 1 S"}));
    EXPECT_EQ(recorder.skipped, std::vector<std::string>{"3:note"});
    read("b.txt", "ydke://" + main + "!!" + side + "!", false);
    EXPECT_EQ(recorder.counted.size(), 2u);

    for (const std::string& broken : {"ydke://" + main + "!!", "ydke://" + main + "!!!x", std::string("ydke://AQAA!!!"),
                                     "ydke://" + main + "!*!!"}) {
        const TallyResult result = read("c.txt", " \n" + broken + "\n");
        EXPECT_EQ(result.outcome, TallyOutcome::Failed) << broken;
        EXPECT_NE(result.message.find("c.txt（2 行目）"), std::string::npos) << result.message;
    }
}

}  // namespace
}  // namespace sormel
