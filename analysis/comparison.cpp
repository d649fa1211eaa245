#include "analysis/comparison.h"

#include <string>
#include <unordered_map>

#include "engine/numeric_text.h"

namespace sormel {

std::optional<std::int64_t> averageCopies(const UsageRow& row) {
    const std::int32_t decks = narrowCardCount(static_cast<double>(row.decks), row.cardNumber);
    if (decks <= 0) return std::nullopt;
    const std::int32_t copies = narrowCardCount(row.copies, row.cardNumber);
    return averageInHundredths(copies, decks);
}

Comparison compareTables(const UsageTable& now, const UsageTable& before) {
    std::unordered_map<std::string, std::size_t> beforeByKey;   // key → display position
    std::vector<std::size_t> rankBefore(before.rowCount(), 0);  // by display position; 0: the blank row
    for (std::size_t position = 0, rank = 0; position < before.rowCount(); ++position) {
        if (!before.row(position).counted) continue;
        rankBefore[position] = ++rank;
        beforeByKey.emplace(before.keyAt(before.handleAt(position)), position);
    }
    std::vector<bool> matched(before.rowCount(), false);
    Comparison comparison;
    for (std::size_t position = 0, rank = 0; position < now.rowCount(); ++position) {
        const std::size_t handle = now.handleAt(position);
        const UsageRow& row = now.rowByHandle(handle);
        CardComparison entry;
        entry.row = handle;
        if (!row.counted) {
            comparison.current.push_back(entry);
            continue;
        }
        CardChange& card = entry.change.emplace();
        card.rank = ++rank;
        const std::int64_t adoption = row.adoption.value_or(0);
        const auto found = beforeByKey.find(now.keyAt(handle));
        if (found == beforeByKey.end()) {
            card.status = CardStatus::New;
            card.adoptionChange = adoption;
        } else {
            matched[found->second] = true;
            const UsageRow& old = before.row(found->second);
            card.adoptionBefore = old.adoption.value_or(0);
            card.adoptionChange = adoption - card.adoptionBefore;
            card.avgCopiesBefore = averageCopies(old);
            const std::optional<std::int64_t> avg = averageCopies(row);
            if (avg && card.avgCopiesBefore) card.avgCopiesChange = *avg - *card.avgCopiesBefore;
            card.rankBefore = rankBefore[found->second];
        }
        comparison.current.push_back(entry);
    }
    for (std::size_t position = 0; position < before.rowCount(); ++position) {
        if (matched[position] || rankBefore[position] == 0) continue;
        const UsageRow& old = before.row(position);
        CardComparison entry;
        entry.row = before.handleAt(position);
        CardChange& card = entry.change.emplace();
        card.status = CardStatus::Dropped;
        card.adoptionBefore = old.adoption.value_or(0);
        card.adoptionChange = -card.adoptionBefore;
        card.avgCopiesBefore = averageCopies(old);
        card.rankBefore = rankBefore[position];
        comparison.dropped.push_back(entry);
    }
    return comparison;
}

}  // namespace sormel
