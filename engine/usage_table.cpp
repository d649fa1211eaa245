#include "usage_table.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "numeric_text.h"

namespace sormel {
namespace {

std::int32_t narrowCount(double value, const std::string& cardNumber) {
    try {
        return narrowToInteger(value);
    } catch (const OverflowError& error) {
        throw CardError(error.what(), cardNumber);
    }
}

}  // namespace

void UsageTable::reset() {
    rows_.assign(1, UsageRow{});
    order_.assign(1, 0);
    index_.clear();
    index_.emplace(std::string(), 0);
    changedSinceSort_.clear();
    changedFlag_.assign(1, false);
}

std::optional<std::size_t> UsageTable::findCard(std::string_view cardNumber) const {
    const auto found = index_.find(cardNumber);
    if (found == index_.end()) return std::nullopt;
    return found->second;
}

std::size_t UsageTable::addCard(std::string cardNumber, std::string cardName) {
    std::uint32_t handle = order_.back();
    if (rows_[handle].counted) {
        handle = static_cast<std::uint32_t>(rows_.size());
        rows_.emplace_back();
        order_.push_back(handle);
        changedFlag_.push_back(false);
    } else {
        index_.erase(rows_[handle].cardNumber);
    }
    UsageRow& row = rows_[handle];
    row.cardNumber = std::move(cardNumber);
    row.cardName = std::move(cardName);
    index_.emplace(row.cardNumber, handle);
    return handle;
}

void UsageTable::recordCardLine(std::size_t handle, double copies, std::size_t deckPosition) {
    UsageRow& row = rows_[handle];
    const double total = roundToNumberTextPrecision(copies + row.copies);
    if (!std::isfinite(total)) throw CardError(OverflowError().what(), row.cardNumber);
    if (row.lastDeck != deckPosition) ++row.decks;
    row.copies = total;
    row.lastDeck = deckPosition;
    row.counted = true;
}

void UsageTable::computeMetrics(std::size_t handle, std::int64_t deckCount, SortChoice choice) {
    UsageRow& row = rows_[handle];
    const std::int32_t decks = narrowCount(static_cast<double>(row.decks), row.cardNumber);
    row.adoptionRate = twoDecimalText(static_cast<double>(decks) / static_cast<double>(deckCount) * 100);
    const std::int32_t copies = narrowCount(row.copies, row.cardNumber);
    row.usageRate = twoDecimalText(static_cast<double>(copies) / static_cast<double>(deckCount * 3) * 100);
    computeSortKey(handle, choice);
}

void UsageTable::computeSortKey(std::size_t handle, SortChoice choice) {
    UsageRow& row = rows_[handle];
    const std::int32_t decks = narrowCount(static_cast<double>(row.decks), row.cardNumber);
    const std::int32_t copies = narrowCount(row.copies, row.cardNumber);
    row.primaryKey = choice == SortChoice::ByCopies ? copies : decks;
    row.secondaryKey = choice == SortChoice::ByCopies ? decks : copies;
    row.keyed = true;
    if (!changedFlag_[handle]) {
        changedFlag_[handle] = true;
        changedSinceSort_.push_back(static_cast<std::uint32_t>(handle));
    }
}

void UsageTable::computeAllMetrics(std::int64_t deckCount, SortChoice choice) {
    for (const std::uint32_t handle : order_) computeMetrics(handle, deckCount, choice);
    sort();
}

void UsageTable::resort(SortChoice choice) {
    for (const std::uint32_t handle : order_) computeSortKey(handle, choice);
    sort();
}

bool UsageTable::comesBefore(std::uint32_t a, std::uint32_t b) const {
    const UsageRow& x = rows_[a];
    const UsageRow& y = rows_[b];
    if (x.keyed != y.keyed) return !x.keyed;
    if (x.keyed) {
        if (x.primaryKey != y.primaryKey) return x.primaryKey > y.primaryKey;
        if (x.secondaryKey != y.secondaryKey) return x.secondaryKey > y.secondaryKey;
        // Byte order of UTF-8 is code point order.
        const int byNumber = x.cardNumber.compare(y.cardNumber);
        if (byNumber != 0) return byNumber < 0;
    }
    return a < b;
}

void UsageTable::sort() {
    const auto before = [this](std::uint32_t a, std::uint32_t b) { return comesBefore(a, b); };
    // Rows added since the last sort have no key and count as changed too.
    for (std::uint32_t handle = 0; handle < rows_.size(); ++handle) {
        if (!rows_[handle].keyed && !changedFlag_[handle]) {
            changedFlag_[handle] = true;
            changedSinceSort_.push_back(handle);
        }
    }
    if (changedSinceSort_.empty()) return;
    // The unchanged rows are still in order among themselves: sort only the
    // changed ones and merge them in.
    std::vector<std::uint32_t> unchanged;
    unchanged.reserve(order_.size());
    std::copy_if(order_.begin(), order_.end(), std::back_inserter(unchanged),
                 [this](std::uint32_t handle) { return !changedFlag_[handle]; });
    std::sort(changedSinceSort_.begin(), changedSinceSort_.end(), before);
    std::merge(unchanged.begin(), unchanged.end(), changedSinceSort_.begin(), changedSinceSort_.end(), order_.begin(),
               before);
    for (const std::uint32_t handle : changedSinceSort_) changedFlag_[handle] = false;
    changedSinceSort_.clear();
}

}  // namespace sormel
