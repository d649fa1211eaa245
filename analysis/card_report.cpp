#include "analysis/card_report.h"

#include "engine/numeric_text.h"

namespace sormel {
namespace {

// A main or side sum narrowed like the copies, the column named on overflow.
std::int32_t narrowPartCount(double value, const char* column, const std::string& cardNumber) {
    if (outsideIntegerRange(value)) throw CardError(std::string(OverflowError().what()) + "（" + column + "）", cardNumber);
    return narrowToInteger(value);
}

}  // namespace

CardReport buildCardReport(const UsageTable& table, const CardAnalysis& analysis, std::int64_t deckCount,
                           bool sideCounted) {
    CardReport report;
    report.deckCount = deckCount;
    report.copyLimit = analysis.copyLimit();
    report.sideCounted = sideCounted;
    report.cards.reserve(table.rowCount());
    const auto decksTimesLimit = static_cast<double>(deckCount * analysis.copyLimit());
    for (std::size_t position = 0; position < table.rowCount(); ++position) {
        const UsageRow& row = table.row(position);
        CardParts parts = analysis.partsOf(table.handleAt(position));
        CardFigures card;
        card.number = row.cardNumber;
        card.name = row.cardName;
        card.decks = narrowCardCount(static_cast<double>(row.decks), row.cardNumber);
        card.copies = narrowCardCount(row.copies, row.cardNumber);
        card.adoption = percentInHundredths(card.decks, static_cast<double>(deckCount));
        card.usage = percentInHundredths(card.copies, decksTimesLimit);
        if (card.decks > 0) card.avgCopies = averageInHundredths(card.copies, card.decks);
        card.mainDecks = narrowPartCount(static_cast<double>(parts.mainDecks), "メインデッキ", row.cardNumber);
        card.mainCopies = narrowPartCount(parts.mainCopies, "メイン枚数", row.cardNumber);
        if (sideCounted) {
            card.sideDecks = narrowPartCount(static_cast<double>(parts.sideDecks), "サイドデッキ", row.cardNumber);
            card.sideCopies = narrowPartCount(parts.sideCopies, "サイド枚数", row.cardNumber);
        }
        card.split = std::move(parts.split);
        report.cards.push_back(std::move(card));
    }
    return report;
}

void addComparison(CardReport& report, const UsageTable& now, const UsageTable& before) {
    Comparison comparison = compareTables(now, before);
    for (std::size_t i = 0; i < comparison.current.size() && i < report.cards.size(); ++i) {
        report.cards[i].change = comparison.current[i].change;
    }
    for (const CardComparison& gone : comparison.dropped) {
        const UsageRow& row = before.rowByHandle(gone.row);
        CardFigures card;
        card.number = row.cardNumber;
        card.name = row.cardName;
        if (report.sideCounted) {
            card.sideDecks = 0;
            card.sideCopies = 0;
        }
        card.split.assign(static_cast<std::size_t>(report.copyLimit) + 2, 0);
        card.change = gone.change;
        report.cards.push_back(std::move(card));
    }
}

AverageDeckFigures averageDeckFigures(const AverageDeck& deck, const UsageTable& table) {
    const auto lines = [&table](const std::vector<AverageDeckCard>& cards) {
        std::vector<AverageDeckLine> out;
        for (const AverageDeckCard& card : cards) {
            const UsageRow& row = table.rowByHandle(card.row);
            out.push_back({row.cardNumber, row.cardName, card.copies});
        }
        return out;
    };
    AverageDeckFigures figures;
    figures.main = lines(deck.main);
    if (deck.side) figures.side = lines(*deck.side);
    return figures;
}

}  // namespace sormel
