// The usage table: one row per card number with its deck and copy counts,
// adoption and usage rates and sort key, in display order.
//
// Counters are kept as numbers, but every update rounds them to the 15
// significant digits their text form holds, so the table shows exactly what
// a table of text cells re-read on every update would show.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/card_error.h"
#include "engine/sort_choice.h"

namespace sormel {

// A count narrowed to an integer; an overflow names the card.
std::int32_t narrowCardCount(double value, const std::string& cardNumber);

struct UsageRow {
    // The card number and the counters a card line updates come first, to
    // share a cache line.
    std::string cardNumber;
    std::int64_t decks = 0;
    double copies = 0;
    std::size_t lastDeck = 0;  // 1-based position of the last deck counted in
    bool counted = false;      // at least one card line was counted here
    std::string cardName;
    // Rates in hundredths of a percent, as the table shows them rounded to
    // two decimals; empty until computed.
    std::optional<std::int64_t> adoption;
    std::optional<std::int64_t> usage;
    // Where the copy count last left the integer range: the 1-based deck
    // position and line, or 0 when it never did.
    std::size_t rangeLeftDeck = 0;
    std::size_t rangeLeftLine = 0;
};

class UsageTable {
public:
    UsageTable() { reset(); }

    // One pristine blank row and nothing else.
    void reset();
    // Rows keyed by another text than the card number they show (the card
    // name, to merge printings): findCard then looks up that key, and
    // addCard takes it. Applies from the next reset on.
    void setSeparateKeys(bool separate) { separateKeys_ = separate; }

    std::size_t rowCount() const { return order_.size(); }
    // The row shown at a 0-based display position.
    const UsageRow& row(std::size_t position) const { return rows_[order_[position]]; }
    // The handle of the row shown at a display position.
    std::size_t handleAt(std::size_t position) const { return order_[position]; }

    // Handle of the row holding `cardNumber`, if any. Handles stay valid
    // until the next reset, whatever sorting does to the display order.
    std::optional<std::size_t> findCard(std::string_view cardNumber) const;
    // Gives a new card a row: the last row while it is still pristine,
    // otherwise a new row at the end. Returns its handle.
    // With separate keys, `key` is what findCard finds the row by.
    std::size_t addCard(std::string cardNumber, std::string cardName, std::string key = {});
    // A key looked up ahead of counting its line: its hash, then the
    // handle of its row if it had one then. A handle found stays right
    // until the next reset, but a key missing may have been added since.
    struct LookAhead {
        std::string_view key;
        std::uint64_t hash = 0;
        std::uint32_t handlePlusOne = 0;  // 0: not found, or not looked up
    };
    // For keys looked up and counted soon: the first brings the key's index
    // slot towards the cache, the second (once the slot is there) finds the
    // row and brings it too. Calls for several keys in a row overlap their
    // waits for memory, which a table larger than the processor's caches
    // makes long.
    void prefetchIndex(LookAhead& ahead) const;
    void prefetchRow(LookAhead& ahead) const;
    // The first row showing `cardNumber`, or null; a linear search, for
    // messages.
    const UsageRow* rowShowing(std::string_view cardNumber) const;
    const UsageRow& rowByHandle(std::size_t handle) const { return rows_[handle]; }
    // What findCard finds the row by: its key, or its card number.
    const std::string& keyAt(std::size_t handle) const { return keyOf(handle); }
    // Counts one card line of deck `deckPosition` (1-based), at `line` of
    // its file, with `copies`. Throws CardError when the copy count stops
    // being a finite number.
    void recordCardLine(std::size_t handle, double copies, std::size_t deckPosition, std::size_t line = 0);
    // Adoption and usage rates for `deckCount` decks, and the sort key.
    // Throws CardError when a count does not fit the integer range.
    void computeMetrics(std::size_t handle, std::int64_t deckCount, SortChoice choice);
    // The sort key alone, from the row's current counts.
    void setSortKey(std::size_t handle, SortChoice choice);
    // Metrics for every row in display order, then sorts.
    void computeAllMetrics(std::int64_t deckCount, SortChoice choice);
    // Gives every row a key for `choice` from its current counts and sorts.
    void resort(SortChoice choice);

    // Orders the rows by their keys: primary count descending, secondary
    // count descending, card number ascending by code point. Rows without a
    // key come first, in the order they were added.
    void sortResults();

private:
    // What a row sorts by, kept apart from the rows so that sorting reads
    // little memory: the counts and the first eight bytes of the number.
    struct SortKey {
        bool keyed = false;
        std::int32_t primary = 0;
        std::int32_t secondary = 0;
        std::uint64_t numberPrefix = 0;
    };

    // Whether row `a` with key `x` goes before row `b` with key `y`; inline,
    // as sorting calls it for every comparison.
    bool ordered(const SortKey& x, std::uint32_t a, const SortKey& y, std::uint32_t b) const {
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
    bool comesBefore(std::uint32_t a, std::uint32_t b) const { return ordered(sortKeys_[a], a, sortKeys_[b], b); }
    void markChanged(std::uint32_t handle);
    // The key a row was last placed by: its key before it changed.
    const SortKey& placedKey(std::uint32_t handle) const {
        const std::uint32_t slot = changedSlot_[handle];
        return slot != 0 ? placedKeys_[slot - 1] : sortKeys_[handle];
    }
    // The two ways sortResults puts changed rows in place.
    static constexpr std::size_t kFewChanges = 16;
    void moveChangedRows();
    void mergeChangedRows();
    void storeSortKey(std::uint32_t handle, std::int32_t decks, std::int32_t copies, SortChoice choice);
    void indexCard(std::uint32_t handle);

    static constexpr std::uint32_t kPristineRow = 0;
    // Rows by handle, in the order added, kept in blocks that never move,
    // so that a growing table does not copy its rows again and again. The
    // blocks double in size, the first holding a few rows: a deck type's
    // table of a handful of cards stays small.
    class RowStore {
    public:
        UsageRow& operator[](std::size_t handle) { return at(handle); }
        const UsageRow& operator[](std::size_t handle) const { return const_cast<RowStore&>(*this).at(handle); }
        std::size_t size() const { return size_; }
        void clear() {
            blocks_.clear();
            size_ = 0;
            capacity_ = 0;
        }
        void emplace_back() {
            if (size_ == capacity_) {
                const std::size_t block = kFirstBlock << blocks_.size();
                blocks_.push_back(std::make_unique<UsageRow[]>(block));
                capacity_ += block;
            }
            ++size_;
        }

    private:
        // Block k holds kFirstBlock << k rows, from handle kFirstBlock * (2^k - 1) on.
        UsageRow& at(std::size_t handle) {
            const std::size_t shifted = handle + kFirstBlock;
            const auto block = static_cast<std::size_t>(std::bit_width(shifted)) - 1 - kFirstShift;
            return blocks_[block][shifted - (kFirstBlock << block)];
        }
        static constexpr std::size_t kFirstShift = 4;
        static constexpr std::size_t kFirstBlock = std::size_t{1} << kFirstShift;
        std::vector<std::unique_ptr<UsageRow[]>> blocks_;
        std::size_t size_ = 0;
        std::size_t capacity_ = 0;
    };
    RowStore rows_;
    std::vector<std::uint32_t> order_;   // handles in display order
    // Open-addressing index from card number to handle, at most half full.
    // A slot holds the key's first eight bytes (zero-padded), handle + 1
    // (0 marks a free slot), and a check: the upper half of the key's hash
    // with its size, up to 9 for "longer than 8", in the low four bits. So
    // a key of up to eight bytes is found without touching its row, which
    // is far larger and rarely in the cache; a longer one is compared in
    // full. A key is first looked for in the slot its check's hash bits
    // name, so that growing the index moves slots without reading a key
    // again. The pristine blank row is not in the index until a card line
    // is counted there.
    struct Slot {
        std::uint64_t head = 0;
        std::uint32_t handlePlusOne = 0;
        std::uint32_t check = 0;
    };
    std::vector<Slot> slots_;
    static constexpr std::size_t kHeadSize = sizeof(std::uint64_t);
    static Slot slotFor(std::string_view key, std::uint64_t hash);
    // The first slot to look in, from the upper half of a key's hash, or
    // from a slot's check, which holds that half above its four low bits.
    static std::size_t homeOf(std::uint32_t upperHash, std::size_t mask) { return (upperHash >> 4) & mask; }
    void placeSlot(const Slot& slot);
    std::optional<std::size_t> findHashed(std::string_view key, std::uint64_t hash) const;
    const std::string& keyOf(std::size_t handle) const {
        return keysInUse_ ? keys_[handle] : rows_[handle].cardNumber;
    }
    bool separateKeys_ = false;
    bool keysInUse_ = false;         // separateKeys_ as of the last reset
    std::vector<std::string> keys_;  // by handle, with separate keys
    std::size_t indexed_ = 0;
    bool pristine_ = true;
    std::vector<SortKey> sortKeys_;      // by handle
    // Rows whose key changed since the last sort, the keys they were sorted
    // under then, and by handle 1 + the index of that key (0: unchanged).
    std::vector<std::uint32_t> changedSinceSort_;
    std::vector<SortKey> placedKeys_;
    std::vector<std::uint32_t> changedSlot_;
    std::size_t appended_ = 0;  // rows at the end of order_ not sorted yet
    std::vector<std::size_t> positions_;
    std::vector<std::uint32_t> sortBuffer_;
};

}  // namespace sormel
