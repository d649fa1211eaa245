#include "engine/usage_table.h"
#include "engine/whole_count.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/numeric_text.h"
#include "engine/prefetch.h"

namespace sormel {
namespace {

// The eight bytes of `text` from `at` on, as memory holds them, zero-padded
// past its end; `at` is before the end. Whole words, the rule for card
// numbers, are one load.
inline std::uint64_t wordAt(std::string_view text, std::size_t at) {
    std::uint64_t word = 0;
    if (text.size() - at >= sizeof word) {
        std::memcpy(&word, text.data() + at, sizeof word);
    } else {
        std::memcpy(&word, text.data() + at, text.size() - at);
    }
    return word;
}

// A quick hash for short texts such as card numbers: eight bytes at a time
// (the last ones zero-padded), multiplied and folded.
std::uint64_t hashOf(std::string_view text) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    std::uint64_t hash = text.size() * kMultiplier;
    for (std::size_t i = 0; i < text.size(); i += 8) {
        const std::uint64_t word = wordAt(text, i);
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

std::int32_t narrowCardCount(double value, const std::string& cardNumber) {
    try {
        return narrowToInteger(value);
    } catch (const OverflowError& error) {
        throw CardError(error.what(), cardNumber);
    }
}

void UsageTable::reset() {
    keysInUse_ = separateKeys_;
    keys_.assign(1, std::string());
    rows_.clear();
    rows_.emplace_back();
    order_.assign(1, kPristineRow);
    sortKeys_.assign(1, SortKey{});
    slots_.assign(64, Slot{});
    indexed_ = 0;
    pristine_ = true;
    changedSinceSort_.clear();
    placedKeys_.clear();
    changedSlot_.assign(1, 0);
    appended_ = 1;
    markChanged(kPristineRow);
}

UsageTable::Slot UsageTable::slotFor(std::string_view key, std::uint64_t hash) {
    Slot slot;
    if (!key.empty()) slot.head = wordAt(key, 0);
    slot.check = (static_cast<std::uint32_t>(hash >> 32) & ~0xFu) |
                 static_cast<std::uint32_t>(std::min(key.size(), kHeadSize + 1));
    return slot;
}

inline std::optional<std::size_t> UsageTable::findHashed(std::string_view cardNumber, std::uint64_t hash) const {
    const Slot wanted = slotFor(cardNumber, hash);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = homeOf(wanted.check, mask);; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.handlePlusOne == 0) return std::nullopt;
        if (slot.check != wanted.check || slot.head != wanted.head) continue;
        // Equal heads and sizes of up to eight bytes are equal keys.
        const std::size_t handle = slot.handlePlusOne - 1;
        if (cardNumber.size() <= kHeadSize || keyOf(handle) == cardNumber) return handle;
    }
}

std::optional<std::size_t> UsageTable::findCard(std::string_view cardNumber) const {
    if (pristine_ && cardNumber.empty()) return kPristineRow;
    return findHashed(cardNumber, hashOf(cardNumber));
}

void UsageTable::prefetchIndex(LookAhead& ahead) const {
    ahead.hash = hashOf(ahead.key);
    ahead.handlePlusOne = 0;
    prefetch(&slots_[homeOf(static_cast<std::uint32_t>(ahead.hash >> 32), slots_.size() - 1)]);
}

void UsageTable::prefetchRow(LookAhead& ahead) const {
    // The blank row of a pristine table, which may yet become the first
    // card's, is not in the index: it is never found here.
    const std::optional<std::size_t> handle = findHashed(ahead.key, ahead.hash);
    if (!handle) return;
    ahead.handlePlusOne = static_cast<std::uint32_t>(*handle + 1);
    prefetch(&rows_[*handle].decks);
}

void UsageTable::indexCard(std::uint32_t handle) {
    if ((indexed_ + 1) * 2 > slots_.size()) {
        // Keep the index at most half full: rebuild it twice as large, from
        // the slots alone, without reading a key again.
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.handlePlusOne != 0) placeSlot(slot);
        }
    }
    const std::string& key = keyOf(handle);
    Slot slot = slotFor(key, hashOf(key));
    slot.handlePlusOne = handle + 1;
    placeSlot(slot);
    ++indexed_;
}

void UsageTable::placeSlot(const Slot& slot) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = homeOf(slot.check, mask);
    while (slots_[i].handlePlusOne != 0) i = (i + 1) & mask;
    slots_[i] = slot;
}

std::size_t UsageTable::addCard(std::string cardNumber, std::string cardName, std::string key) {
    std::uint32_t handle = kPristineRow;
    if (pristine_) {
        pristine_ = false;
    } else {
        handle = static_cast<std::uint32_t>(rows_.size());
        rows_.emplace_back();
        order_.push_back(handle);
        sortKeys_.emplace_back();
        changedSlot_.push_back(0);
        ++appended_;
        markChanged(handle);  // a new row has no key: it goes before all keyed rows
        if (keysInUse_) keys_.emplace_back();
    }
    if (keysInUse_) keys_[handle] = std::move(key);
    UsageRow& row = rows_[handle];
    row.cardNumber = std::move(cardNumber);
    row.cardName = std::move(cardName);
    indexCard(handle);
    return handle;
}

const UsageRow* UsageTable::rowShowing(std::string_view cardNumber) const {
    for (std::size_t handle = 0; handle < rows_.size(); ++handle) {
        if (rows_[handle].cardNumber == cardNumber) return &rows_[handle];
    }
    return nullptr;
}

void UsageTable::recordCardLine(std::size_t handle, double copies, std::size_t deckPosition, std::size_t line) {
    UsageRow& row = rows_[handle];
    const double total = roundToNumberTextPrecision(copies + row.copies);
    if (!std::isfinite(total)) throw countTooLarge(row.cardNumber);
    // Whole counts well inside the range are the rule; the exact check is
    // only needed near its ends.
    if (!(total > -2e9 && total < 2e9) && outsideIntegerRange(total) && !outsideIntegerRange(row.copies)) {
        row.rangeLeftDeck = deckPosition;
        row.rangeLeftLine = line;
    }
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
    const std::int32_t decks = narrowCardCount(static_cast<double>(row.decks), row.cardNumber);
    row.adoption = percentInHundredths(decks, static_cast<double>(deckCount));
    const std::int32_t copies = narrowCardCount(row.copies, row.cardNumber);
    row.usage = percentInHundredths(copies, static_cast<double>(deckCount * 3));
    storeSortKey(static_cast<std::uint32_t>(handle), decks, copies, choice);
}

void UsageTable::setSortKey(std::size_t handle, SortChoice choice) {
    const UsageRow& row = rows_[handle];
    const std::int32_t decks = narrowCardCount(static_cast<double>(row.decks), row.cardNumber);
    const std::int32_t copies = narrowCardCount(row.copies, row.cardNumber);
    storeSortKey(static_cast<std::uint32_t>(handle), decks, copies, choice);
}

void UsageTable::storeSortKey(std::uint32_t handle, std::int32_t decks, std::int32_t copies, SortChoice choice) {
    markChanged(handle);
    SortKey& key = sortKeys_[handle];
    key.primary = choice == SortChoice::ByCopies ? copies : decks;
    key.secondary = choice == SortChoice::ByCopies ? decks : copies;
    key.numberPrefix = prefixOf(rows_[handle].cardNumber);
    key.keyed = true;
}

void UsageTable::markChanged(std::uint32_t handle) {
    if (changedSlot_[handle] == 0) {
        placedKeys_.push_back(sortKeys_[handle]);
        changedSlot_[handle] = static_cast<std::uint32_t>(placedKeys_.size());
        changedSinceSort_.push_back(handle);
    }
}

void UsageTable::computeAllMetrics(std::int64_t deckCount, SortChoice choice) {
    for (const std::uint32_t handle : order_) computeMetrics(handle, deckCount, choice);
    sortResults();
}

void UsageTable::resort(SortChoice choice) {
    for (const std::uint32_t handle : order_) setSortKey(handle, choice);
    sortResults();
}

void UsageTable::sortResults() {
    if (changedSinceSort_.empty()) return;
    // A normal-mode run sorts after every deck, which changes a few rows
    // of many: those are moved one by one, each past the few rows between
    // its old and its new place. Many changes are sorted and merged.
    if (changedSinceSort_.size() * kFewChanges <= order_.size()) {
        moveChangedRows();
    } else {
        mergeChangedRows();
    }
    changedSinceSort_.clear();
    placedKeys_.clear();
    appended_ = 0;
}

void UsageTable::moveChangedRows() {
    // The rows before the appended ones are in order by the keys they were
    // placed under; a row moved is placed under its new key, which keeps
    // them in order.
    const auto placedBefore = [&](std::uint32_t a, std::uint32_t b) {
        return ordered(placedKey(a), a, placedKey(b), b);
    };
    const auto begin = order_.begin();
    auto placedEnd = order_.end() - static_cast<std::ptrdiff_t>(appended_);
    const std::size_t firstAppended = rows_.size() - appended_;  // handles grow with every new row
    for (const std::uint32_t handle : changedSinceSort_) {
        if (handle >= firstAppended) continue;
        const auto from = std::lower_bound(begin, placedEnd, handle, placedBefore);
        changedSlot_[handle] = 0;
        // The new place is usually near: searched in steps doubling from the old one.
        if (from != begin && placedBefore(handle, *(from - 1))) {
            std::ptrdiff_t step = 1;
            while (2 * step <= from - begin && placedBefore(handle, *(from - 2 * step))) step *= 2;
            const auto low = from - std::min(2 * step, from - begin);
            std::rotate(std::lower_bound(low, from - step, handle, placedBefore), from, from + 1);
        } else if (from + 1 != placedEnd && placedBefore(*(from + 1), handle)) {
            std::ptrdiff_t step = 1;
            while (step < placedEnd - from - 1 && placedBefore(*(from + 1 + step), handle)) step *= 2;
            const auto high = from + 1 + std::min(step, placedEnd - from - 1);
            std::rotate(from, from + 1, std::lower_bound(from + 1 + step / 2, high, handle, placedBefore));
        }
    }
    // Each appended row goes where it belongs among those before it.
    for (; placedEnd != order_.end(); ++placedEnd) {
        const std::uint32_t handle = *placedEnd;
        changedSlot_[handle] = 0;
        std::rotate(std::upper_bound(begin, placedEnd, handle, placedBefore), placedEnd, placedEnd + 1);
    }
}

void UsageTable::mergeChangedRows() {
    const auto before = [this](std::uint32_t a, std::uint32_t b) { return comesBefore(a, b); };
    // The rows the last sort placed are still in that order, by the keys
    // they had then: find each changed one among them by its old key, close
    // up the rest as blocks, then insert the changed rows where their new
    // keys belong. Only the changed rows are compared.
    const std::size_t placedCount = order_.size() - appended_;
    const std::size_t firstAppended = rows_.size() - appended_;  // handles grow with every new row
    const auto placedBefore = [&](std::uint32_t a, std::uint32_t b) {
        return ordered(placedKey(a), a, placedKey(b), b);
    };
    const auto placed = order_.begin() + static_cast<std::ptrdiff_t>(placedCount);
    positions_.clear();
    for (const std::uint32_t handle : changedSinceSort_) {
        if (handle < firstAppended) {
            positions_.push_back(
                static_cast<std::size_t>(std::lower_bound(order_.begin(), placed, handle, placedBefore) - order_.begin()));
        }
    }
    std::sort(positions_.begin(), positions_.end());
    auto unchangedEnd = order_.begin();
    std::size_t blockStart = 0;
    for (const std::size_t position : positions_) {
        unchangedEnd = std::copy(order_.begin() + static_cast<std::ptrdiff_t>(blockStart),
                                 order_.begin() + static_cast<std::ptrdiff_t>(position), unchangedEnd);
        blockStart = position + 1;
    }
    unchangedEnd = std::copy(order_.begin() + static_cast<std::ptrdiff_t>(blockStart), placed, unchangedEnd);

    std::sort(changedSinceSort_.begin(), changedSinceSort_.end(), before);
    sortBuffer_.clear();
    auto from = order_.begin();
    for (const std::uint32_t handle : changedSinceSort_) {
        const auto at = std::upper_bound(from, unchangedEnd, handle, before);
        sortBuffer_.insert(sortBuffer_.end(), from, at);
        sortBuffer_.push_back(handle);
        from = at;
        changedSlot_[handle] = 0;
    }
    sortBuffer_.insert(sortBuffer_.end(), from, unchangedEnd);
    order_.swap(sortBuffer_);
}

}  // namespace sormel
