// Naming each deck's type by rules, as the run reads it: the first type
// whose conditions the deck meets, and after the run, for the decks no rule
// named, the type whose rule-named decks they are most like (cosine
// similarity of the main parts), when it is like enough.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/main_parts.h"
#include "analysis/type_rules.h"
#include "engine/deck_observer.h"

namespace sormel {

enum class TypingWay { Folder, Rule, Similar, None };

// "folder", "rule", "similar", "none", as the reports write them.
const char* typingWayText(TypingWay way);

struct DeckTyping {
    std::size_t type = 0;  // index into the typer's typeNames
    TypingWay how = TypingWay::None;
    double similarity = 0;  // for Similar
};

// A similarity as the reports show it: rounded to 4 decimals.
double shownSimilarity(double similarity);


// Which type a deck is most like: the highest cosine similarity between
// the deck and each type's mean, the earlier type on a tie; nothing below
// `threshold` or for an all-zero deck. Types are added in the rules' order.
class NearestType {
public:
    // `sums` are the copies of the type's `decks` decks per row.
    void addType(std::size_t type, const std::unordered_map<std::uint32_t, double>& sums, std::int64_t decks);
    // The type and the similarity, or nothing.
    std::optional<std::pair<std::size_t, double>> nearest(const SparseDeck& deck, double threshold) const;

private:
    struct Mean {
        std::size_t type;
        std::unordered_map<std::uint32_t, double> values;
        double norm;
    };
    std::vector<Mean> means_;
};

// The names of every type a deck may get by `rules`: the rules' types in
// order, as shown (a name 全体 or one taken already gets " (2)" …), then
// 分類なし; a type named 分類なし is that last one.
std::vector<std::string> ruleTypeNames(const TypeRules& rules);

class RuleTyping : public DeckObserver {
public:
    RuleTyping(std::shared_ptr<const TypeRules> rules, std::size_t decks);

    // Every type a deck may get: the rules' types in order (under the names
    // they show), then 分類なし. A type named 分類なし is that last one.
    const std::vector<std::string>& typeNames() const { return typeNames_; }

    void deckStarted(std::size_t index) override;
    void entryCounted(const CountedEntry& counted) override;
    void sideEntryRead(std::string_view key, double copies) override;
    void deckFinished(std::size_t index) override;

    // After the run: the nearest type of each deck no rule named.
    void finish();
    const std::vector<DeckTyping>& decks() const { return decks_; }

    // Per card the rules name (see namedCards), whether a deck of the run
    // held copies of it in either part.
    const std::vector<bool>& cardsHeld() const { return held_; }
    // The distinct keys the rules name, in the order of cardsHeld.
    const std::vector<std::string>& namedCards() const { return keys_; }

private:
    struct Condition {
        std::size_t slot;
        std::int64_t copies;
    };
    struct CompiledRule {
        std::size_t type;
        std::vector<std::size_t> all, any, none, sideAll, sideAny, sideNone;
        std::vector<Condition> atLeast;
    };
    std::size_t slotOf(const std::string& key);
    std::vector<std::size_t> slotsOf(const std::vector<NamedCard>& cards);
    void addCopies(std::size_t slot, bool side, double copies);
    bool holds(const CompiledRule& rule) const;

    const std::shared_ptr<const TypeRules> rules_;
    std::vector<std::string> typeNames_;
    std::vector<CompiledRule> compiled_;
    std::unordered_map<std::string, std::size_t> slots_;
    std::vector<std::string> keys_;
    std::vector<bool> held_;
    std::vector<std::int32_t> rowSlot_;  // per row of the run's table: a slot, -1 for none, -2 not looked up

    // The deck being read.
    std::vector<double> mainCopies_, sideCopies_;
    std::vector<std::size_t> touchedSlots_;
    MainPartTally mainPart_;
    // The slots the deck being read touched are marked with its stamp.
    std::uint32_t stamp_ = 0;
    std::vector<std::uint32_t> slotStamp_;

    std::vector<DeckTyping> decks_;
    // For the fallback: per type, the rows' copies over its rule-named decks;
    // and the main parts of the decks no rule named.
    std::vector<std::unordered_map<std::uint32_t, double>> typeSums_;
    std::vector<std::int64_t> typeDecks_;
    std::vector<std::pair<std::size_t, SparseDeck>> unnamed_;
};

// "RULES:LINE: 警告: …" for each place the rules name a card that no deck
// of `runs` (typed by these rules) held copies of, in either part.
std::vector<std::string> unheldCardWarnings(const TypeRules& rules, const std::string& shownPath,
                                            const std::vector<const RuleTyping*>& runs);

}  // namespace sormel
