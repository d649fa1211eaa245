#include "usage_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

namespace {

// A quick hash for short texts such as card numbers: eight bytes at a time,
// multiplied and folded.
std::uint64_t hashOf(std::string_view text) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    std::uint64_t hash = text.size() * kMultiplier;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 29;
    }
    if (i < text.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, text.size() - i);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 29;
    }
    hash *= kMultiplier;
    return hash ^ (hash >> 32);
}

// The first eight bytes, big-endian and zero-padded: ordered as the bytes.
std::uint64_t prefixOf(std::string_view text) {
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        prefix = (prefix << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    }
    return prefix;
}

}  // namespace

void UsageTable::reset() {
    rows_.assign(1, UsageRow{});
    order_.assign(1, kPristineRow);
    sortKeys_.assign(1, SortKey{});
    slots_.assign(64, 0);
    indexed_ = 0;
    pristine_ = true;
    changedSinceSort_.clear();
    changedFlag_.assign(1, false);
}

std::optional<std::size_t> UsageTable::findCard(std::string_view cardNumber) const {
    if (pristine_ && cardNumber.empty()) return kPristineRow;
    const std::uint64_t hash = hashOf(cardNumber);
    const std::uint64_t tag = hash >> 32;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const std::uint64_t slot = slots_[i];
        if (slot == 0) return std::nullopt;
        const std::size_t handle = (slot & 0xFFFFFFFFu) - 1;
        if (slot >> 32 == tag && rows_[handle].cardNumber == cardNumber) return handle;
    }
}

void UsageTable::indexCard(std::uint32_t handle) {
    if ((indexed_ + 1) * 2 > slots_.size()) {
        // Keep the table at most half full: rebuild it twice as large.
        std::vector<std::uint64_t> old(slots_.size() * 2, 0);
        old.swap(slots_);
        indexed_ = 0;
        for (const std::uint64_t slot : old) {
            if (slot != 0) indexCard(static_cast<std::uint32_t>((slot & 0xFFFFFFFFu) - 1));
        }
    }
    const std::uint64_t hash = hashOf(rows_[handle].cardNumber);
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = ((hash >> 32) << 32) | (static_cast<std::uint64_t>(handle) + 1);
    ++indexed_;
}

std::size_t UsageTable::addCard(std::string cardNumber, std::string cardName) {
    std::uint32_t handle = kPristineRow;
    if (pristine_) {
        pristine_ = false;
    } else {
        handle = static_cast<std::uint32_t>(rows_.size());
        rows_.emplace_back();
        order_.push_back(handle);
        sortKeys_.emplace_back();
        changedFlag_.push_back(false);
    }
    UsageRow& row = rows_[handle];
    row.cardNumber = std::move(cardNumber);
    row.cardName = std::move(cardName);
    indexCard(handle);
    return handle;
}

void UsageTable::recordCardLine(std::size_t handle, double copies, std::size_t deckPosition) {
    UsageRow& row = rows_[handle];
    const double total = roundCounter(copies + row.copies);
    if (!std::isfinite(total)) throw CardError(OverflowError().what(), row.cardNumber);
    if (pristine_) {
        // A card line without a card number counted in the blank row: from
        // now on the row is that card's.
        pristine_ = false;
        indexCard(kPristineRow);
    }
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
    SetSortKey(handle, choice);
}

void UsageTable::SetSortKey(std::size_t handle, SortChoice choice) {
    const UsageRow& row = rows_[handle];
    const std::int32_t decks = narrowCount(static_cast<double>(row.decks), row.cardNumber);
    const std::int32_t copies = narrowCount(row.copies, row.cardNumber);
    SortKey& key = sortKeys_[handle];
    key.primary = choice == SortChoice::ByCopies ? copies : decks;
    key.secondary = choice == SortChoice::ByCopies ? decks : copies;
    key.numberPrefix = prefixOf(row.cardNumber);
    key.keyed = true;
    markChanged(static_cast<std::uint32_t>(handle));
}

void UsageTable::markChanged(std::uint32_t handle) {
    if (!changedFlag_[handle]) {
        changedFlag_[handle] = true;
        changedSinceSort_.push_back(handle);
    }
}

void UsageTable::computeAllMetrics(std::int64_t deckCount, SortChoice choice) {
    for (const std::uint32_t handle : order_) computeMetrics(handle, deckCount, choice);
    SortResults();
}

void UsageTable::resort(SortChoice choice) {
    for (const std::uint32_t handle : order_) SetSortKey(handle, choice);
    SortResults();
}

bool UsageTable::comesBefore(std::uint32_t a, std::uint32_t b) const {
    const SortKey& x = sortKeys_[a];
    const SortKey& y = sortKeys_[b];
    if (x.keyed != y.keyed) return !x.keyed;
    if (x.keyed) {
        if (x.primary != y.primary) return x.primary > y.primary;
        if (x.secondary != y.secondary) return x.secondary > y.secondary;
        // Byte order of UTF-8 is code point order.
        if (x.numberPrefix != y.numberPrefix) return x.numberPrefix < y.numberPrefix;
        const int byNumber = rows_[a].cardNumber.compare(rows_[b].cardNumber);
        if (byNumber != 0) return byNumber < 0;
    }
    return a < b;
}

void UsageTable::SortResults() {
    const auto before = [this](std::uint32_t a, std::uint32_t b) { return comesBefore(a, b); };
    // Rows added since the last sort have no key and count as changed too.
    for (std::uint32_t handle = 0; handle < rows_.size(); ++handle) {
        if (!sortKeys_[handle].keyed) markChanged(handle);
    }
    if (changedSinceSort_.empty()) return;
    // The unchanged rows are still in order among themselves: sort only the
    // changed ones and insert each where it belongs, copying the unchanged
    // rows between them as blocks.
    std::sort(changedSinceSort_.begin(), changedSinceSort_.end(), before);
    const auto unchangedEnd = std::remove_if(order_.begin(), order_.end(),
                                             [this](std::uint32_t handle) { return changedFlag_[handle]; });
    sortBuffer_.clear();
    auto from = order_.begin();
    for (const std::uint32_t handle : changedSinceSort_) {
        const auto at = std::upper_bound(from, unchangedEnd, handle, before);
        sortBuffer_.insert(sortBuffer_.end(), from, at);
        sortBuffer_.push_back(handle);
        from = at;
        changedFlag_[handle] = false;
    }
    sortBuffer_.insert(sortBuffer_.end(), from, unchangedEnd);
    order_.swap(sortBuffer_);
    changedSinceSort_.clear();
}

}  // namespace sormel
