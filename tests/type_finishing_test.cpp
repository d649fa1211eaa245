// Deck types finished as soon as their last deck is read: when each type is
// handed over, that nothing of a type is held before its first deck, that a
// failing type is told in the types' order, and that types whose decks are
// interleaved (named by rules) still get every deck.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/deck_types.h"
#include "analysis/folder_analysis.h"
#include "export/report_writer.h"
#include "test_support.h"

namespace sormel {
namespace {

using testing::ScratchFolder;

// Feeds a splitter deck by deck: each deck one card line of `copies`.
class SplitterFeed {
public:
    explicit SplitterFeed(DeckTypeSplitter& splitter) : splitter_(splitter) {}
    void deck(std::size_t index, const std::string& card, double copies) {
        deckWith(index, std::vector<std::string>{card}, copies);
    }
    void deckWith(std::size_t index, const std::vector<std::string>& cards, double copies) {
        splitter_.deckStarted(index);
        for (const std::string& card : cards) {
            DeckEntry entry;
            entry.copies = copies;
            entry.cardNumber = card;
            entry.setCardName(card);
            // The run's table gives each card a row of its own.
            const std::size_t row = rows_.emplace(card, rows_.size()).first->second;
            splitter_.entryCounted({row, card, entry, DeckEncoding::Utf8, 1, card});
        }
        splitter_.deckFinished(index);
    }

private:
    DeckTypeSplitter& splitter_;
    std::map<std::string, std::size_t> rows_;
};

TEST(TypeFinishing, EachTypeIsHandedOverOnceAfterItsLastDeckWithItsTableFinished) {
    // Files 0..4 of types A, B, A, C, C; D has no file.
    DeckTypeSplitter splitter({0, 1, 0, 2, 2}, {"A", "B", "C", "D"}, false);
    for (const auto& type : splitter.types()) EXPECT_EQ(type->table, nullptr) << type->name;
    std::size_t decksRead = 0;
    std::vector<std::string> handed;  // "name decks@decks read then"
    splitter.finishEachType(SortChoice::ByDecks, [&](DeckTypeTally& type) {
        std::string seen = type.name + " " + std::to_string(type.decks) + "@" + std::to_string(decksRead);
        // The table is finished: its rows have their rates.
        if (type.table) seen += type.table->row(0).adoption ? " rated" : " unrated";
        handed.push_back(seen);
        type.release();
    });
    SplitterFeed feed(splitter);
    const std::vector<std::string> cards = {"a", "b", "a", "c", "c"};
    for (std::size_t file = 0; file < cards.size(); ++file) {
        feed.deck(file, cards[file], 2);
        ++decksRead;
    }
    // B ends when A's second deck starts, A when C's first does; the rest
    // (C, and D without decks) at the end, in the types' order.
    EXPECT_EQ(handed, (std::vector<std::string>{"B 1@2 rated", "A 2@3 rated"}));
    splitter.finish(SortChoice::ByDecks);
    EXPECT_EQ(handed, (std::vector<std::string>{"B 1@2 rated", "A 2@3 rated", "C 2@5 rated", "D 0@5"}));
}

TEST(TypeFinishing, EachTypeCountsACardInItsOwnRowWhenTypesTakeTurns) {
    // x is the second card of type 0 and the first of type 1.
    DeckTypeSplitter splitter({0, 1, 0, 1}, {"zero", "one"}, false);
    SplitterFeed feed(splitter);
    feed.deckWith(0, {"a", "x"}, 1);
    feed.deckWith(1, {"x"}, 2);
    feed.deckWith(2, {"x", "a"}, 3);
    feed.deckWith(3, {"y", "x"}, 4);
    splitter.finish(SortChoice::ByDecks);
    const auto counts = [](const UsageTable& table) {
        std::map<std::string, std::string> out;
        for (std::size_t i = 0; i < table.rowCount(); ++i) {
            out[table.row(i).cardNumber] = std::to_string(table.row(i).decks) + "/" + std::to_string(static_cast<long long>(table.row(i).copies));
        }
        return out;
    };
    EXPECT_EQ(counts(*splitter.types()[0]->table), (std::map<std::string, std::string>{{"a", "2/4"}, {"x", "2/4"}}));
    EXPECT_EQ(counts(*splitter.types()[1]->table), (std::map<std::string, std::string>{{"x", "2/6"}, {"y", "1/4"}}));
}

TEST(TypeFinishing, TheFirstFailingTypeInTheTypesOrderIsToldWhicheverEndedFirst) {
    // Type 1 ends first with a count beyond the integer range; type 0's
    // copies stop being a number. Type 0 comes first in the list, so its
    // failure is told, as it is when every type finishes at the end.
    for (const bool early : {true, false}) {
        DeckTypeSplitter splitter({1, 0, 0}, {"first", "second"}, false);
        if (early) splitter.finishEachType(SortChoice::ByDecks, [](DeckTypeTally&) {});
        SplitterFeed feed(splitter);
        feed.deck(0, "big", 3e9);
        feed.deck(1, "x", 1e308);
        feed.deck(2, "x", 1e308);
        try {
            splitter.finish(SortChoice::ByDecks);
            ADD_FAILURE() << "no failure, early " << early;
        } catch (const std::exception& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("カード番号: x"), std::string::npos) << message;
            EXPECT_EQ(message.find("big"), std::string::npos) << message;
        }
    }
}

TEST(TypeFinishing, TypesNamedByRulesGetEveryDeckWhenTheirDecksInterleave) {
    ScratchFolder folder, rules;
    folder.write("1.txt", "2,D-1,dragon\n1,X,x\n");
    folder.write("2.txt", "4,A-1,angel\n1,X,x\n");
    folder.write("3.txt", "3,D-1,dragon\n");
    folder.write("4.txt", "4,A-1,angel\n");
    folder.write("5.txt", "1,D-1,dragon\n--\n2,S,side\n");
    AnalysisRequest request;
    request.folder = folder.path();
    request.typeRules = rules.write("r.toml", "[[type]]\nname = \"Dragon\"\nall = [\"D-1\"]\n"
                                               "[[type]]\nname = \"Angel\"\nall = [\"A-1\"]\n");
    request.report = true;
    request.averageDecks = true;
    FolderAnalysis analysis(request);
    AnalysisHost host;
    AnalysisStatus status = analysis.list();
    if (status.completed()) status = analysis.run(host);
    ASSERT_TRUE(status.completed()) << status.message;

    const ReportData data = analysis.report();
    ASSERT_EQ(data.types.size(), 2u);
    const TypeReport& dragon = data.types[0];
    EXPECT_EQ(dragon.name, "Dragon");
    EXPECT_EQ(dragon.decks, 3);
    ASSERT_GE(dragon.report.cards.size(), 2u);
    EXPECT_EQ(dragon.report.cards[0].number, "D-1");
    EXPECT_EQ(dragon.report.cards[0].copies, 6);
    EXPECT_EQ(dragon.report.cards[0].sideDecks, 0);
    EXPECT_EQ(data.types[1].decks, 2);
    EXPECT_EQ(data.types[1].report.cards[0].copies, 8);

    // The report can be asked for again, and the average decks after it,
    // before the batch mode takes it whole.
    ASSERT_TRUE(dragon.report.averageDeck.has_value());
    const AverageDeckSet decks = analysis.averageDecks();
    ASSERT_EQ(decks.types.size(), 2u);
    EXPECT_EQ(decks.types[0].second.main.size(), dragon.report.averageDeck->main.size());
    const std::string json = formatReport(ReportKind::Json, data);
    EXPECT_EQ(formatReport(ReportKind::Json, analysis.report()), json);
    EXPECT_EQ(formatReport(ReportKind::Json, analysis.takeReport()), json);
}

}  // namespace
}  // namespace sormel
