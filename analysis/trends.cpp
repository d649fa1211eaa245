#include "analysis/trends.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "engine/numeric_text.h"

namespace sormel {
namespace {

// Hundredths of a percent of `whole` decks; empty when there are none.
std::optional<std::int64_t> shareOf(std::int64_t part, std::int64_t whole) {
    if (whole <= 0) return std::nullopt;
    return percentInHundredths(static_cast<double>(part), static_cast<double>(whole));
}

template <typename Series, typename Value>
std::vector<std::optional<std::int64_t>> valuesOf(const std::vector<Series>& series, Value value) {
    std::vector<std::optional<std::int64_t>> values;
    values.reserve(series.size());
    for (const Series& entry : series) values.push_back(value(entry));
    return values;
}

std::int64_t highest(const std::vector<std::optional<std::int64_t>>& values) {
    std::int64_t best = 0;
    for (const std::optional<std::int64_t>& value : values) best = std::max(best, value.value_or(0));
    return best;
}

}  // namespace

std::optional<std::int64_t> latestChange(const std::vector<std::optional<std::int64_t>>& values) {
    if (values.size() < 2 || !values.back() || !values[values.size() - 2]) return std::nullopt;
    return *values.back() - *values[values.size() - 2];
}

std::optional<std::int64_t> leastSquaresSlope(const std::vector<std::optional<std::int64_t>>& values) {
    // slope = (n Σxy − Σx Σy) ÷ (n Σx² − (Σx)²), in exact integers: the
    // products outgrow 64 bits long before the periods run out.
    using Wide = __int128;
    Wide n = 0, sumX = 0, sumY = 0, sumXY = 0, sumXX = 0;
    for (std::size_t x = 0; x < values.size(); ++x) {
        if (!values[x]) continue;
        const auto wideX = static_cast<Wide>(x);
        const Wide y = *values[x];
        ++n;
        sumX += wideX;
        sumY += y;
        sumXY += wideX * y;
        sumXX += wideX * wideX;
    }
    if (n < 2) return std::nullopt;
    const Wide numerator = n * sumXY - sumX * sumY;
    const Wide denominator = n * sumXX - sumX * sumX;  // above zero: the positions differ
    Wide quotient = numerator / denominator;
    const Wide remainder = numerator % denominator;
    if (2 * (remainder < 0 ? -remainder : remainder) >= denominator) quotient += numerator < 0 ? -1 : 1;
    return static_cast<std::int64_t>(quotient);
}

CardStatus trendStatus(const std::vector<bool>& present) {
    if (present.empty()) return CardStatus::Kept;
    const bool now = present.back();
    const bool before = std::find(present.begin(), present.end() - 1, true) != present.end() - 1;
    if (now && !before) return CardStatus::New;
    if (!now) return before ? CardStatus::Dropped : CardStatus::Kept;
    return present[present.size() - 2] ? CardStatus::Kept : CardStatus::Returned;
}

void TrendSeries::addPeriod(std::string name, std::int64_t decks, const UsageTable* table,
                            const std::vector<TypeDecks>& types) {
    const std::size_t period = periods_.size();
    periods_.push_back({std::move(name), decks});
    lastOrder_.clear();
    if (table != nullptr && decks > 0) {
        lastOrder_.assign(table->rowCount(), kNone);
        // Ranks as the comparison of two periods gives them: positions in
        // the table's order, the blank row left out.
        std::size_t rank = 0;
        for (std::size_t position = 0; position < table->rowCount(); ++position) {
            const std::size_t handle = table->handleAt(position);
            const UsageRow& row = table->rowByHandle(handle);
            if (!row.counted) continue;
            const auto [found, added] = cardByKey_.try_emplace(table->keyAt(handle), cards_.size());
            if (added) cards_.emplace_back();
            Card& card = cards_[found->second];
            card.number = row.cardNumber;
            card.name = row.cardName;
            card.seen.resize(period + 1);
            PeriodCard& figures = card.seen[period].emplace();
            figures.decks = narrowCardCount(static_cast<double>(row.decks), row.cardNumber);
            figures.copies = narrowCardCount(row.copies, row.cardNumber);
            figures.adoption = percentInHundredths(figures.decks, static_cast<double>(decks));
            figures.avgCopies = averageCopies(row);
            figures.rank = ++rank;
            lastOrder_[position] = found->second;
        }
    }
    for (const auto& [typeName, typeDecks] : types) {
        if (typeDecks <= 0) continue;
        const auto [found, added] = typeByName_.try_emplace(typeName, types_.size());
        if (added) types_.push_back({typeName, {}});
        TypeSeries& series = types_[found->second];
        series.decks.resize(period + 1, 0);
        series.decks[period] = typeDecks;
    }
}

CardTrend TrendSeries::cardTrend(const Card& card) const {
    CardTrend trend;
    std::vector<bool> present;
    for (std::size_t period = 0; period < periods_.size(); ++period) {
        const bool seen = period < card.seen.size() && card.seen[period];
        present.push_back(seen);
        if (seen) {
            trend.series.push_back(*card.seen[period]);
        } else {
            PeriodCard& absent = trend.series.emplace_back();
            if (periods_[period].decks > 0) absent.adoption = 0;
        }
    }
    const auto adoptions = valuesOf(trend.series, [](const PeriodCard& entry) { return entry.adoption; });
    trend.change = latestChange(adoptions);
    trend.slope = leastSquaresSlope(adoptions);
    trend.status = trendStatus(present);
    return trend;
}

TypeTrend TrendSeries::typeTrend(const TypeSeries* type) const {
    TypeTrend trend;
    for (std::size_t period = 0; period < periods_.size(); ++period) {
        const std::int64_t decks = type != nullptr && period < type->decks.size() ? type->decks[period] : 0;
        trend.series.push_back({decks, shareOf(decks, periods_[period].decks)});
    }
    const auto shares = valuesOf(trend.series, [](const PeriodShare& entry) { return entry.share; });
    trend.change = latestChange(shares);
    trend.slope = leastSquaresSlope(shares);
    return trend;
}

void TrendSeries::addTo(ReportData& data) const {
    data.periods = periods_;
    std::vector<CardFigures>& cards = data.report.cards;
    std::vector<bool> inLast(cards_.size(), false);
    if (!lastOrder_.empty()) {
        if (cards.size() != lastOrder_.size()) throw std::logic_error("the report is not of the last period's table");
        for (std::size_t position = 0; position < cards.size(); ++position) {
            const std::size_t card = lastOrder_[position];
            if (card == kNone) continue;
            cards[position].trend = cardTrend(cards_[card]);
            inLast[card] = true;
        }
    }
    addOtherCards(data.report, inLast);
    if (data.typed()) addTypeTrends(data);
}

void TrendSeries::addOtherCards(CardReport& report, const std::vector<bool>& inLast) const {
    struct Other {
        std::size_t card;
        CardTrend trend;
        std::int64_t best;
    };
    std::vector<Other> others;
    for (std::size_t card = 0; card < cards_.size(); ++card) {
        if (inLast[card]) continue;
        CardTrend trend = cardTrend(cards_[card]);
        const std::int64_t best = highest(valuesOf(trend.series, [](const PeriodCard& e) { return e.adoption; }));
        others.push_back({card, std::move(trend), best});
    }
    std::stable_sort(others.begin(), others.end(), [this](const Other& a, const Other& b) {
        if (a.best != b.best) return a.best > b.best;
        return cards_[a.card].number < cards_[b.card].number;  // UTF-8 byte order is code point order
    });
    for (Other& other : others) {
        CardFigures figures;
        figures.number = cards_[other.card].number;
        figures.name = cards_[other.card].name;
        if (report.sideCounted) {
            figures.sideDecks = 0;
            figures.sideCopies = 0;
        }
        figures.split.assign(static_cast<std::size_t>(report.copyLimit) + 2, 0);
        figures.trend = std::move(other.trend);
        report.cards.push_back(std::move(figures));
    }
}

void TrendSeries::addTypeTrends(ReportData& data) const {
    std::vector<bool> listed(types_.size(), false);
    for (TypeReport& type : data.types) {
        const auto found = typeByName_.find(type.name);
        if (found != typeByName_.end()) listed[found->second] = true;
        type.shareTrend = typeTrend(found != typeByName_.end() ? &types_[found->second] : nullptr);
    }
    std::vector<TypeReport> earlier;
    for (std::size_t index = 0; index < types_.size(); ++index) {
        if (listed[index]) continue;
        TypeReport type;
        type.name = types_[index].name;
        type.report.copyLimit = data.report.copyLimit;
        type.report.sideCounted = data.report.sideCounted;
        type.shareTrend = typeTrend(&types_[index]);
        earlier.push_back(std::move(type));
    }
    std::stable_sort(earlier.begin(), earlier.end(), [](const TypeReport& a, const TypeReport& b) {
        const auto share = [](const PeriodShare& e) { return e.share; };
        const std::int64_t bestA = highest(valuesOf(a.shareTrend->series, share));
        const std::int64_t bestB = highest(valuesOf(b.shareTrend->series, share));
        if (bestA != bestB) return bestA > bestB;
        return a.name < b.name;
    });
    for (TypeReport& type : earlier) data.types.push_back(std::move(type));
}

}  // namespace sormel
