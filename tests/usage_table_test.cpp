#include "engine/usage_table.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace sormel {
namespace {

std::size_t countLine(UsageTable& table, const std::string& number, double copies, std::size_t deck,
                      const std::string& name = "name") {
    auto handle = table.findCard(number);
    if (!handle) handle = table.addCard(number, name);
    table.recordCardLine(*handle, copies, deck);
    return *handle;
}

std::vector<std::string> numbersInOrder(const UsageTable& table) {
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < table.rowCount(); ++i) numbers.push_back(table.row(i).cardNumber);
    return numbers;
}

using Numbers = std::vector<std::string>;

TEST(UsageTableCounting, DecksCountOncePerFileCopiesEveryLine) {
    UsageTable table;
    countLine(table, "AB-001", 3, 1);
    countLine(table, "AB-001", 3, 2);
    countLine(table, "AB-002", 2, 2);
    countLine(table, "AB-002", 1, 2);  // again in the side part of deck 2
    table.computeAllMetrics(2, SortChoice::ByDecks);
    ASSERT_EQ(table.rowCount(), 2u);
    const UsageRow& first = table.row(0);
    EXPECT_EQ(first.cardNumber, "AB-001");
    EXPECT_EQ(first.decks, 2);
    EXPECT_EQ(first.copies, 6);
    EXPECT_EQ(first.adoption, 10000);
    EXPECT_EQ(first.usage, 10000);
    EXPECT_EQ(table.row(1).decks, 1);
    EXPECT_EQ(table.row(1).copies, 3);
    EXPECT_EQ(table.row(1).adoption, 5000);
    EXPECT_EQ(table.row(1).usage, 5000);
}

TEST(UsageTableCounting, FractionalAndNegativeCopiesAccumulateAtFifteenDigits) {
    UsageTable table;
    for (int i = 0; i < 25; ++i) countLine(table, "X", 0.1, 1);
    countLine(table, "Y", -1, 1);
    EXPECT_EQ(table.row(0).copies, 2.5);
    table.computeAllMetrics(1, SortChoice::ByCopies);
    // Copies 2.5 round to 2 for the rate and the key.
    EXPECT_EQ(table.row(0).usage, 6667);
    EXPECT_EQ(table.row(1).cardNumber, "Y");
    EXPECT_EQ(table.row(1).usage, -3333);
}

// Numbers that agree in case-folded form, in their first 16 bytes, in all
// but a trailing NUL or in a prefix are all different cards; each finds its
// own row again, through many rebuilds of the index.
TEST(UsageTableCounting, EveryByteOfANumberTellsCardsApart) {
    UsageTable table;
    const std::string nul("AB\0", 3);
    const std::vector<std::string> numbers{"ab-001", "AB-001", "AB", nul, "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP1",
                                           "ABCDEFGHIJKLMNOP2", "ABCDEFGHIJKLMNOPQRSTUVWXYZ-0001", "ABCDEFGH"};
    std::vector<std::size_t> handles;
    for (const std::string& number : numbers) handles.push_back(countLine(table, number, 1, 1));
    for (int i = 0; i < 500; ++i) countLine(table, "filler-" + std::to_string(i), 1, 1);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(table.findCard(numbers[i]), handles[i]) << i;
        EXPECT_EQ(table.rowByHandle(handles[i]).cardNumber, numbers[i]);
    }
    EXPECT_EQ(table.findCard("ABCDEFGHIJKLMNOP3"), std::nullopt);
    EXPECT_EQ(table.findCard("ABCDEFGHIJKLMNO"), std::nullopt);
}

// Thousands of numbers with the same first eight bytes, told apart only by
// what follows, next to that prefix alone and shorter ones: each finds its
// own row through every growth of the index, and a number one byte off
// finds none.
TEST(UsageTableCounting, NumbersSharingTheirFirstEightBytesStayApartAsTheIndexGrows) {
    UsageTable table;
    std::vector<std::string> numbers{"BT01-538", "BT01-53", std::string("BT01-538\0", 9)};
    for (int i = 0; i < 3000; ++i) numbers.push_back("BT01-538" + std::to_string(i));
    std::vector<std::size_t> handles;
    for (const std::string& number : numbers) handles.push_back(countLine(table, number, 1, 1));
    ASSERT_EQ(table.rowCount(), numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        EXPECT_EQ(table.findCard(numbers[i]), handles[i]) << numbers[i];
        EXPECT_EQ(table.rowByHandle(handles[i]).copies, 1) << numbers[i];
    }
    for (const char* missing : {"BT01-5380000", "BT01-5383000", "BT01-539", "BT01-538 "}) {
        EXPECT_EQ(table.findCard(missing), std::nullopt) << missing;
    }
}

TEST(UsageTableCounting, RowsKeepTheirHandlesAndCountsAsTheTableGrowsAndIsReset) {
    // Rows are stored in blocks of growing size: every card must stay where
    // its handle says across block edges (16, 48, 112, ... rows), through
    // sorting, and after a reset the table starts small and whole again.
    UsageTable table;
    for (int round = 0; round < 2; ++round) {
        const int cards = round == 0 ? 5000 : 40;
        std::vector<std::size_t> handles;
        for (int i = 0; i < cards; ++i) {
            handles.push_back(countLine(table, "C" + std::to_string(i), i % 7 + 1, 1, "n" + std::to_string(i)));
        }
        countLine(table, "C17", 2, 2);
        table.computeAllMetrics(2, SortChoice::ByDecks);
        ASSERT_EQ(table.rowCount(), static_cast<std::size_t>(cards));
        EXPECT_EQ(table.row(0).cardNumber, "C17");
        for (int i = 0; i < cards; ++i) {
            const UsageRow& row = table.rowByHandle(handles[static_cast<std::size_t>(i)]);
            EXPECT_EQ(row.cardNumber, "C" + std::to_string(i));
            EXPECT_EQ(row.cardName, "n" + std::to_string(i));
            EXPECT_EQ(row.copies, i == 17 ? 6 : i % 7 + 1);
            EXPECT_EQ(table.findCard(row.cardNumber), handles[static_cast<std::size_t>(i)]);
        }
        table.reset();
        EXPECT_EQ(table.rowCount(), 1u);
        EXPECT_FALSE(table.findCard("C0"));
    }
}

// A key looked up ahead keeps the row it was found in, and nothing when it
// was missing; a pristine table keeps nothing, not even for a blank number,
// as its blank row may yet become the first card's.
TEST(UsageTableLookAhead, KeepsTheRowsFoundAndNothingElse) {
    UsageTable table;
    const auto lookedUp = [&](std::string_view key) {
        UsageTable::LookAhead ahead{key};
        table.prefetchIndex(ahead);
        table.prefetchRow(ahead);
        return ahead.handlePlusOne;
    };
    EXPECT_EQ(lookedUp(""), 0u);
    EXPECT_EQ(lookedUp("AB-001"), 0u);
    std::vector<std::size_t> handles;
    const std::vector<std::string> keys{"AB-001", "", "ABCDEFGH", "ABCDEFGHI", "ABCDEFGHIJKLMNOPQ"};
    for (const std::string& key : keys) handles.push_back(countLine(table, key, 1, 1));
    for (int i = 0; i < 3000; ++i) countLine(table, "F" + std::to_string(i), 1, 1);
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(lookedUp(keys[i]), handles[i] + 1) << keys[i];
    for (const char* missing : {"AB-00", "ABCDEFGHIJKLMNOPR", "ABCDEFGHI ", "F3000"}) {
        EXPECT_EQ(lookedUp(missing), 0u) << missing;
    }
}

TEST(UsageTableBlankRow, ResetLeavesOnePristineRowThatEmptyCardNumbersUse) {
    UsageTable table;
    countLine(table, "AB-001", 1, 1);
    table.reset();
    ASSERT_EQ(table.rowCount(), 1u);
    EXPECT_FALSE(table.row(0).counted);
    // A card line without a card number is counted in the blank row...
    countLine(table, "", 2, 1);
    EXPECT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(table.row(0).copies, 2);
    // ...and a new card then gets a row of its own instead of merging into it.
    countLine(table, "AB-001", 3, 1, "First");
    ASSERT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.row(0).cardNumber, "");
    EXPECT_EQ(table.row(0).copies, 2);
    EXPECT_EQ(table.row(1).cardNumber, "AB-001");
    EXPECT_EQ(table.row(1).cardName, "First");
    EXPECT_EQ(table.row(1).copies, 3);
}

TEST(UsageTableBlankRow, TheFirstCardTakesThePristineRowAndBlankNumbersGetTheirOwn) {
    UsageTable table;
    countLine(table, "AB-001", 1, 1);
    EXPECT_EQ(table.rowCount(), 1u);
    countLine(table, " ", 1, 1);
    countLine(table, "", 1, 1);
    countLine(table, "", 1, 2);
    ASSERT_EQ(table.rowCount(), 3u);
    EXPECT_EQ(table.row(2).decks, 2);
}

TEST(UsageTableBlankRow, ARunWithoutCardsStillHasTheBlankRowWithZeroRates) {
    UsageTable table;
    table.computeAllMetrics(3, SortChoice::ByDecks);
    ASSERT_EQ(table.rowCount(), 1u);
    EXPECT_EQ(table.row(0).adoption, 0);
    EXPECT_EQ(table.row(0).usage, 0);
    EXPECT_FALSE(table.row(0).counted);
}

TEST(UsageTableSort, PrimaryThenSecondaryDescendingThenCardNumberByCodePoint) {
    UsageTable table;
    countLine(table, "C", 3, 1);
    countLine(table, "B", 3, 1);
    countLine(table, "a", 3, 1);
    countLine(table, "D", 1, 1);
    countLine(table, "D", 1, 2);
    countLine(table, "E", 9, 1);
    countLine(table, "Ａ", 3, 1);  // full-width: after every ASCII number
    table.computeAllMetrics(2, SortChoice::ByDecks);
    EXPECT_EQ(numbersInOrder(table), (Numbers{"D", "E", "B", "C", "a", "Ａ"}));
    table.computeAllMetrics(2, SortChoice::ByCopies);
    EXPECT_EQ(numbersInOrder(table), (Numbers{"E", "B", "C", "a", "Ａ", "D"}));
}

TEST(UsageTableSort, NegativeCountsSortBelowPositiveOnes) {
    UsageTable table;
    countLine(table, "NEG", -1, 1);
    countLine(table, "POS", 1, 1);
    countLine(table, "ZERO", 1, 1);
    countLine(table, "ZERO", -1, 1);
    table.computeAllMetrics(1, SortChoice::ByCopies);
    EXPECT_EQ(numbersInOrder(table), (Numbers{"POS", "ZERO", "NEG"}));
}

TEST(UsageTableSort, IncrementalSortsAgreeWithAFullSortAfterEveryDeck) {
    // Small updates between sorts, as a normal-mode run makes them: few
    // rows of a large pool (moved one by one) and many of a small one
    // (merged); counts rise and, with negative copies, fall; new cards
    // keep coming, and ties are broken by the card number.
    for (const auto& [pool, choice] : {std::pair{150u, SortChoice::ByDecks}, std::pair{3000u, SortChoice::ByDecks},
                                       std::pair{150u, SortChoice::ByCopies}, std::pair{3000u, SortChoice::ByCopies}}) {
        UsageTable incremental;
        UsageTable reference;
        unsigned seed = 12345;
        auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) % 100000; };
        const std::size_t decks = 300;
        for (std::size_t deck = 1; deck <= decks; ++deck) {
            for (int line = 0; line < 20; ++line) {
                const std::string number = "N" + std::to_string(next() % pool);
                const double copies = static_cast<double>(next() % 7) - 2;
                const std::size_t handle = countLine(incremental, number, copies, deck);
                incremental.computeMetrics(handle, decks, choice);
                countLine(reference, number, copies, deck);
            }
            incremental.sortResults();
            reference.computeAllMetrics(decks, choice);
            ASSERT_EQ(numbersInOrder(incremental), numbersInOrder(reference)) << pool << " cards, deck " << deck;
        }
    }
}

TEST(UsageTableSort, ResortReordersByTheNewChoiceAtOnce) {
    UsageTable table;
    countLine(table, "MANY", 3, 1);
    countLine(table, "WIDE", 1, 1);
    countLine(table, "WIDE", 1, 2);
    table.computeAllMetrics(2, SortChoice::ByDecks);
    EXPECT_EQ(numbersInOrder(table), (Numbers{"WIDE", "MANY"}));
    table.resort(SortChoice::ByCopies);
    EXPECT_EQ(numbersInOrder(table), (Numbers{"MANY", "WIDE"}));
}

TEST(UsageTableOverflow, CountsBeyond32BitsNameTheCard) {
    UsageTable table;
    countLine(table, "BIG", 99999999999, 1);
    try {
        table.computeAllMetrics(1, SortChoice::ByDecks);
        FAIL() << "no error";
    } catch (const CardError& error) {
        EXPECT_NE(std::string(error.what()).find("BIG"), std::string::npos);
    }
    // Far beyond 16 bits is fine.
    UsageTable wide;
    for (std::size_t deck = 1; deck <= 40000; ++deck) countLine(wide, "STAPLE", 3, deck);
    wide.computeAllMetrics(40000, SortChoice::ByDecks);
    EXPECT_EQ(wide.row(0).decks, 40000);
    EXPECT_EQ(wide.row(0).copies, 120000);
    EXPECT_EQ(wide.row(0).usage, 10000);
}

TEST(UsageTableOverflow, ACopySumThatStopsBeingFiniteIsAnError) {
    UsageTable table;
    countLine(table, "X", 1e308, 1);
    auto handle = table.findCard("X");
    EXPECT_THROW(table.recordCardLine(*handle, 1e308, 1), CardError);
    EXPECT_THROW(countLine(table, "Y", std::numeric_limits<double>::infinity(), 1), CardError);
    // A total just below the largest double is no longer a number once held
    // at fifteen digits: an error too, never a silent zero.
    EXPECT_THROW(countLine(table, "Z", std::numeric_limits<double>::max(), 1), CardError);
}

}  // namespace
}  // namespace sormel
