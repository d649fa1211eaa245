// Deck types from sub-folders, the comparison of two periods and the
// average deck, on small folders whose answers are worked out by hand.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "analysis/folder_analysis.h"
#include "engine/deck_listing.h"
#include "engine/tally_run.h"
#include "export/average_deck_file.h"
#include "export/report_writer.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;

// One folder analysed with everything gathered, as the batch mode does it.
std::unique_ptr<FolderAnalysis> analyse(const std::filesystem::path& folder, bool byFolder, bool side = true,
                                        std::optional<std::filesystem::path> baseline = std::nullopt,
                                        bool mergeByName = false) {
    AnalysisRequest request;
    request.folder = folder;
    request.byFolder = byFolder;
    request.includeSidePart = side;
    request.averageDecks = true;
    request.baseline = std::move(baseline);
    request.mergeByName = mergeByName;
    auto analysis = std::make_unique<FolderAnalysis>(request);
    AnalysisHost host;
    AnalysisStatus status = analysis->list();
    if (status.completed()) status = analysis->run(host);
    EXPECT_TRUE(status.completed()) << status.message;
    return analysis;
}

std::vector<std::string> lines(const std::vector<AverageDeckLine>& deck) {
    std::vector<std::string> out;
    for (const AverageDeckLine& line : deck) out.push_back(std::to_string(line.copies) + " " + line.number);
    return out;
}

TEST(AverageDeck, CountsTheNthCopyOverTheMedianSize) {
    ScratchFolder folder;
    // Main totals 7, 7, 5, 1: the lower middle of four is 5. Copies are
    // narrowed per deck, halves to even (1.5 and 2.5 give 2, 0.5 gives 0),
    // and nothing of zero or less counts.
    folder.write("1.txt", "4,A,a\n1,B,b\n1.5,C,c\n");
    folder.write("2.txt", "4,A,a\n1,B,b\n2.5,C,c\n0.5,D,d\n");
    folder.write("3.txt", "4,A,a\n1,F,f\n-1,E,e\n");
    folder.write("4.txt", "1,C,c\n");
    const AverageDeckFigures deck = analyse(folder.path(), false)->averageDecks().all;
    // Three decks hold a 4th copy of A: that beats B's 1st copy (two decks).
    // A's and C's 1st copies both have three votes; A's more copies in all
    // put all of A first, then C's first copy fills the fifth slot.
    EXPECT_EQ(lines(deck.main), (std::vector<std::string>{"4 A", "1 C"}));
    ASSERT_TRUE(deck.side.has_value());
    EXPECT_TRUE(deck.side->empty());  // most decks have no side part
    EXPECT_EQ(formatAverageDeck(deck, CsvEncoding::Utf8).text, "4,A,a\r\n1,C,c\r\n");
}

TEST(AverageDeck, TiesGoByCopiesThenNumberAndTheSidePartHasItsOwnSize) {
    ScratchFolder folder;
    folder.write("1.txt", "2,Y,y\n2,X,x\n--\n3,S,s\n");
    folder.write("2.txt", "2,X,x\n2,Y,y\n--\n1,S,s\n1,T,t\n");
    const AverageDeckFigures deck = analyse(folder.path(), false)->averageDecks().all;
    // Main size 4: X and Y have the same votes and copies, X comes first by
    // number, then k ascending: X1, Y1, X2, Y2.
    EXPECT_EQ(lines(deck.main), (std::vector<std::string>{"2 X", "2 Y"}));
    // Side totals 3 and 2: size 2. S1 has two votes; S2 and T1 one each,
    // S's four copies before T's one.
    ASSERT_TRUE(deck.side.has_value());
    EXPECT_EQ(lines(*deck.side), (std::vector<std::string>{"2 S"}));
    EXPECT_EQ(formatAverageDeck(deck, CsvEncoding::Utf8).text, "2,X,x\r\n2,Y,y\r\n--\r\n2,S,s\r\n");

    // Read back, the file is the same deck.
    ScratchFolder again;
    again.write("avg.txt", formatAverageDeck(deck, CsvEncoding::Cp932).text);
    const AverageDeckFigures back = analyse(again.path(), false)->averageDecks().all;
    EXPECT_EQ(lines(back.main), lines(deck.main));
    EXPECT_EQ(lines(*back.side), lines(*deck.side));
}

TEST(AverageDeck, LargeCountsTakeTheirTurnAfterSmallOnes) {
    ScratchFolder folder;
    // Main totals 20, 9, 7 and 6: size 7. L's 1st to 4th copies have four
    // votes, its 5th and 6th three; A's 1st copy (two votes) beats L's 7th
    // (one).
    folder.write("1.txt", "20,L,l\n");
    folder.write("2.txt", "6,L,l\n3,A,a\n");
    folder.write("3.txt", "4,L,l\n3,A,a\n");
    folder.write("4.txt", "6,L,l\n");
    EXPECT_EQ(lines(analyse(folder.path(), false)->averageDecks().all.main), (std::vector<std::string>{"6 L", "1 A"}));
}

TEST(AverageDeck, ANumberTieAtTheCutOffGoesToTheLowerNumber) {
    ScratchFolder folder;
    folder.write("1.txt", "1 Beta\n");
    folder.write("2.txt", "1 Alpha\n");
    EXPECT_EQ(lines(analyse(folder.path(), false)->averageDecks().all.main), (std::vector<std::string>{"1 Alpha"}));
}

TEST(AverageDeck, ANumberWithACommaIsWrittenAsAListThatReadsBackTheSame) {
    AverageDeckFigures deck;
    deck.main = {{"Karn, the Great Creator", "Karn, the Great Creator", 4}, {"Island", "Island", 2}};
    deck.side = std::vector<AverageDeckLine>{{"Fire // Ice", "Fire // Ice", 1}};
    const std::string text = formatAverageDeck(deck, CsvEncoding::Cp932).text;
    EXPECT_EQ(text, "4 Karn, the Great Creator\r\n2 Island\r\nSideboard\r\n1 Fire // Ice\r\n");
    ScratchFolder folder;
    folder.write("avg.txt", text);
    const AverageDeckFigures back = analyse(folder.path(), false)->averageDecks().all;
    EXPECT_EQ(lines(back.main),
              (std::vector<std::string>{"4 Karn, the Great Creator", "2 Island"}));
    EXPECT_EQ(lines(*back.side), (std::vector<std::string>{"1 Fire // Ice"}));
    // Without the side part, a read-back deck has no side at all.
    EXPECT_FALSE(analyse(folder.path(), false, false)->averageDecks().all.side.has_value());
}

TEST(DeckTypes, SubFoldersAreTypesWithTablesOfTheirOwn) {
    ScratchFolder folder;
    folder.write("loose.txt", "1,A,loose name\n");
    std::filesystem::create_directories(folder.path() / "Aggro");
    std::filesystem::create_directories(folder.path() / "Con:trol");
    std::filesystem::create_directories(folder.path() / "Empty");
    std::filesystem::create_directories(folder.path() / ".hidden");
    std::filesystem::create_directories(folder.path() / "分類なし");
    folder.write("Aggro/1.txt", "3,A,aggro name\n2,B,b\n");
    folder.write("Aggro/2.txt", "3,A,a\n");
    folder.write("Con:trol/1.txt", "2,C,c\n");
    folder.write("Empty/notes.md", "3,A,a\n");
    folder.write(".hidden/1.txt", "3,A,a\n");
    folder.write("分類なし/1.txt", "1,B,b\n");
    const std::unique_ptr<FolderAnalysis> run = analyse(folder.path(), true);
    // Directly in the folder first, then each sub-folder by name.
    std::vector<std::string> names;
    const DeckFiles& files = run->listing().files;
    for (std::size_t file = 0; file < files.size(); ++file) {
        names.push_back(files.path(file).lexically_relative(folder.path()).string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"loose.txt", "Aggro/1.txt", "Aggro/2.txt", "Con:trol/1.txt",
                                               "分類なし/1.txt"}));
    EXPECT_EQ(run->listing().typeNames, (std::vector<std::string>{"分類なし", "Aggro", "Con:trol"}));

    const ReportData data = run->report();
    ASSERT_EQ(data.types.size(), 3u);
    // Decks descending, then name: Aggro 2, 分類なし 2 (a sub-folder of
    // that name joins the loose files), Con:trol 1; shares of five decks.
    EXPECT_EQ(data.types[0].name, "Aggro");
    EXPECT_EQ(data.types[0].share, 4000);
    EXPECT_EQ(data.types[1].name, "分類なし");
    EXPECT_EQ(data.types[1].decks, 2);
    EXPECT_EQ(data.types[2].name, "Con:trol");
    EXPECT_EQ(data.types[2].share, 2000);
    // Each type has its own first names and its own rates over its decks.
    const CardFigures& aggroA = data.types[0].report.cards[0];
    EXPECT_EQ(aggroA.name, "aggro name");
    EXPECT_EQ(aggroA.adoption, 10000);
    EXPECT_EQ(aggroA.avgCopies, 300);
    EXPECT_EQ(data.types[1].report.cards[0].name, "loose name");
    // A card of one type only is in that type's table alone.
    EXPECT_EQ(data.types[2].report.cards.size(), 1u);
    EXPECT_EQ(data.types[2].report.cards[0].number, "C");
    // The overall table is the table over every file.
    EXPECT_EQ(data.report.cards[0].number, "A");
    EXPECT_EQ(data.report.cards[0].decks, 3);
    EXPECT_EQ(data.report.cards[0].name, "loose name");

    // The batch mode takes the report, letting go of each type as it goes:
    // the same report, to the byte.
    const ReportData taken = run->takeReport();
    EXPECT_EQ(formatReport(ReportKind::Json, taken), formatReport(ReportKind::Json, data));
}

TEST(DeckTypes, EveryFolderIsATypeOfItsOwnUnderADistinctName) {
    ScratchFolder folder;
    const std::string white = "\x94\x92\x92\x50";  // 白単 and 黒単 in Shift_JIS
    const std::string black = "\x8D\x95\x92\x50";
    for (const std::string& name : {white, black, std::string("白単"), std::string("全体")}) {
        std::filesystem::create_directories(folder.path() / name);
        folder.write(name + "/1.txt", "1,A,a\n");
    }
    folder.write(white + "/2.txt", "1,B,b\n");
    const std::unique_ptr<FolderAnalysis> run = analyse(folder.path(), true);
    // By the folders' bytes: 黒単 (8D), 白単 (94) in Shift_JIS, then the
    // UTF-8 全体 (E5) and 白単 (E7). Names already shown, and that of the
    // overall rows, gain a number.
    EXPECT_EQ(run->listing().typeNames, (std::vector<std::string>{"黒単", "白単", "全体 (2)", "白単 (2)"}));
    const ReportData data = run->report();
    std::map<std::string, std::int64_t> decks;
    for (const TypeReport& type : data.types) decks[type.name] = type.decks;
    EXPECT_EQ(decks, (std::map<std::string, std::int64_t>{{"黒単", 1}, {"白単", 2}, {"全体 (2)", 1}, {"白単 (2)", 1}}));
}

TEST(DeckTypes, MergingByNameAppliesInsideEachType) {
    ScratchFolder folder;
    std::filesystem::create_directories(folder.path() / "Burn");
    folder.write("Burn/1.txt", "2 Lightning Bolt (M10) 146\n2 Lightning Bolt (M11) 149\n");
    const ReportData data = analyse(folder.path(), true, true, std::nullopt, true)->report();
    ASSERT_EQ(data.types.size(), 1u);
    ASSERT_EQ(data.types[0].report.cards.size(), 1u);
    EXPECT_EQ(data.types[0].report.cards[0].copies, 4);
    EXPECT_EQ(data.types[0].report.cards[0].decks, 1);
}

TEST(Comparison, TheBlankRowOfARunWithoutCardLinesIsNoCard) {
    ScratchFolder cards, none;
    cards.write("1.txt", "1,A,a\n");
    none.write("1.txt", "# no cards\n");
    // Nothing now: the blank row has no comparison, A alone is gone, first
    // before.
    const ReportData empty = analyse(none.path(), false, true, cards.path())->report();
    ASSERT_EQ(empty.report.cards.size(), 2u);
    EXPECT_EQ(empty.report.cards[0].number, "");
    EXPECT_FALSE(empty.report.cards[0].change.has_value());
    EXPECT_EQ(empty.report.cards[1].number, "A");
    EXPECT_EQ(empty.report.cards[1].change->status, CardStatus::Dropped);
    EXPECT_EQ(empty.report.cards[1].change->rankBefore, 1u);
    // Nothing before: A is new and no blank card is gone.
    const ReportData fresh = analyse(cards.path(), false, true, none.path())->report();
    ASSERT_EQ(fresh.report.cards.size(), 1u);
    EXPECT_EQ(fresh.report.cards[0].change->status, CardStatus::New);
    EXPECT_EQ(fresh.report.cards[0].change->rank, 1u);
}

TEST(Comparison, NewGoneAndRankedCardsAgainstABaseline) {
    ScratchFolder now, before;
    now.write("1.txt", "1,A,a\n1,B,b\n1,N,n\n");
    now.write("2.txt", "3,A,a\n");
    now.write("3.txt", "1,B,b\n");
    before.write("1.txt", "2,A,a\n1,G,g\n");
    before.write("2.txt", "1,B,b\n");
    const ReportData data = analyse(now.path(), false, true, before.path())->report();
    ASSERT_TRUE(data.baseline.has_value());
    EXPECT_EQ(data.baseline->decks, 2);
    std::map<std::string, CardChange> changes;
    std::vector<std::string> order;
    for (const CardFigures& card : data.report.cards) {
        ASSERT_TRUE(card.change.has_value()) << card.number;
        changes[card.number] = *card.change;
        order.push_back(card.number);
    }
    // Now: A (2 decks, 4), B (2, 2), N (1, 1); then G, gone, in the
    // baseline's order.
    EXPECT_EQ(order, (std::vector<std::string>{"A", "B", "N", "G"}));
    // Before: A (1 deck, 2 copies), then B and G (1 deck, 1 copy each) tied
    // on both counts, B first by number. A: 66.67 now, 50 before.
    EXPECT_EQ(changes["A"].adoptionBefore, 5000);
    EXPECT_EQ(changes["A"].adoptionChange, 1667);
    EXPECT_EQ(changes["A"].avgCopiesBefore, 200);
    EXPECT_EQ(changes["A"].avgCopiesChange, 0);
    EXPECT_EQ(changes["A"].rank, 1u);
    EXPECT_EQ(changes["A"].rankBefore, 1u);
    EXPECT_EQ(changes["B"].rankBefore, 2u);
    // N is new: adoption 0 before, no average or rank before.
    EXPECT_EQ(changes["N"].status, CardStatus::New);
    EXPECT_EQ(changes["N"].adoptionBefore, 0);
    EXPECT_EQ(changes["N"].adoptionChange, 3333);
    EXPECT_FALSE(changes["N"].avgCopiesBefore.has_value());
    EXPECT_FALSE(changes["N"].avgCopiesChange.has_value());
    EXPECT_FALSE(changes["N"].rankBefore.has_value());
    // G is gone: zero counts now, the baseline's figures before.
    const CardFigures& gone = data.report.cards.back();
    EXPECT_EQ(gone.change->status, CardStatus::Dropped);
    EXPECT_EQ(gone.decks, 0);
    EXPECT_EQ(gone.adoption, 0);
    EXPECT_FALSE(gone.avgCopies.has_value());
    EXPECT_EQ(gone.split, (std::vector<std::int64_t>{0, 0, 0, 0, 0}));
    EXPECT_EQ(gone.change->adoptionBefore, 5000);
    EXPECT_EQ(gone.change->adoptionChange, -5000);
    EXPECT_FALSE(gone.change->rank.has_value());
    EXPECT_EQ(gone.change->rankBefore, 3u);
}

}  // namespace
}  // namespace sormel
