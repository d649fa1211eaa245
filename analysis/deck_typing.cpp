#include "analysis/deck_typing.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "engine/deck_listing.h"
#include "engine/text_decoding.h"
#include "engine/visible_text.h"

namespace sormel {

const char* typingWayText(TypingWay way) {
    switch (way) {
        case TypingWay::Folder: return "folder";
        case TypingWay::Rule: return "rule";
        case TypingWay::Similar: return "similar";
        case TypingWay::None: break;
    }
    return "none";
}

double shownSimilarity(double similarity) { return std::round(similarity * 10000) / 10000; }

void NearestType::addType(std::size_t type, const std::unordered_map<std::uint32_t, double>& sums,
                          std::int64_t decks) {
    if (decks <= 0) return;
    Mean mean{type, {}, 0};
    std::vector<std::pair<std::uint32_t, double>> rows(sums.begin(), sums.end());
    std::sort(rows.begin(), rows.end());
    double squares = 0;
    for (const auto& [row, sum] : rows) {
        const double value = sum / static_cast<double>(decks);
        if (value <= 0) continue;
        mean.values.emplace(row, value);
        squares += value * value;
    }
    mean.norm = std::sqrt(squares);
    if (mean.norm > 0) means_.push_back(std::move(mean));
}

std::optional<std::pair<std::size_t, double>> NearestType::nearest(const SparseDeck& deck, double threshold) const {
    double squares = 0;
    for (const auto& [row, copies] : deck) squares += copies * copies;
    const double norm = std::sqrt(squares);
    if (!(norm > 0)) return std::nullopt;
    std::optional<std::pair<std::size_t, double>> best;
    for (const Mean& mean : means_) {
        double dot = 0;
        for (const auto& [row, copies] : deck) {
            const auto value = mean.values.find(row);
            if (value != mean.values.end()) dot += copies * value->second;
        }
        const double similarity = dot / (norm * mean.norm);
        if (!best || similarity > best->second) best = std::pair(mean.type, similarity);
    }
    if (best && best->second >= threshold) return best;
    return std::nullopt;
}

std::vector<std::string> ruleTypeNames(const TypeRules& rules) {
    std::vector<std::string> names;
    DistinctNames distinct = distinctTypeNames();
    for (const TypeRule& rule : rules.types) {
        if (rule.name != kUnsortedType) names.push_back(distinct.give(rule.name));
    }
    names.emplace_back(kUnsortedType);
    return names;
}

RuleTyping::RuleTyping(std::shared_ptr<const TypeRules> rules, std::size_t decks)
    : rules_(std::move(rules)), typeNames_(ruleTypeNames(*rules_)), decks_(decks) {
    std::size_t named = 0;
    for (const TypeRule& rule : rules_->types) {
        const bool isUnsorted = rule.name == kUnsortedType;
        CompiledRule compiled{isUnsorted ? typeNames_.size() - 1 : named++,
                              slotsOf(rule.all),
                              slotsOf(rule.any),
                              slotsOf(rule.none),
                              slotsOf(rule.sideAll),
                              slotsOf(rule.sideAny),
                              slotsOf(rule.sideNone),
                              {}};
        for (const NamedCard& card : rule.atLeast) compiled.atLeast.push_back({slotOf(card.key), card.copies});
        compiled_.push_back(std::move(compiled));
    }
    held_.assign(keys_.size(), false);
    slotStamp_.assign(keys_.size(), 0);
    mainCopies_.assign(keys_.size(), 0);
    sideCopies_.assign(keys_.size(), 0);
    typeSums_.resize(typeNames_.size());
    typeDecks_.assign(typeNames_.size(), 0);
}

std::size_t RuleTyping::slotOf(const std::string& key) {
    const auto [at, added] = slots_.emplace(key, keys_.size());
    if (added) keys_.push_back(key);
    return at->second;
}

std::vector<std::size_t> RuleTyping::slotsOf(const std::vector<NamedCard>& cards) {
    std::vector<std::size_t> slots;
    for (const NamedCard& card : cards) slots.push_back(slotOf(card.key));
    return slots;
}

void RuleTyping::deckStarted(std::size_t) {
    for (const std::size_t slot : touchedSlots_) mainCopies_[slot] = sideCopies_[slot] = 0;
    touchedSlots_.clear();
    mainPart_.startDeck();
    ++stamp_;
}

void RuleTyping::addCopies(std::size_t slot, bool side, double copies) {
    if (slotStamp_[slot] != stamp_) {
        slotStamp_[slot] = stamp_;
        touchedSlots_.push_back(slot);
    }
    (side ? sideCopies_ : mainCopies_)[slot] += copies;
}

void RuleTyping::entryCounted(const CountedEntry& counted) {
    const auto row = static_cast<std::uint32_t>(counted.row);
    if (row >= rowSlot_.size()) rowSlot_.resize(row + 1, -2);
    if (rowSlot_[row] == -2) {
        const auto slot = slots_.find(std::string(counted.key));
        rowSlot_[row] = slot == slots_.end() ? -1 : static_cast<std::int32_t>(slot->second);
    }
    const bool side = counted.entry.part == DeckPart::Side;
    if (rowSlot_[row] >= 0) addCopies(static_cast<std::size_t>(rowSlot_[row]), side, counted.entry.copies);
    if (rules_->similarity > 0) mainPart_.add(counted);
}

void RuleTyping::sideEntryRead(std::string_view key, double copies) {
    const auto slot = slots_.find(std::string(key));
    if (slot != slots_.end()) addCopies(slot->second, true, copies);
}

bool RuleTyping::holds(const CompiledRule& rule) const {
    const auto inMain = [&](std::size_t slot) { return mainCopies_[slot] > 0; };
    const auto inSide = [&](std::size_t slot) { return sideCopies_[slot] > 0; };
    const auto anyOf = [](const std::vector<std::size_t>& slots, const auto& in) {
        return slots.empty() || std::any_of(slots.begin(), slots.end(), in);
    };
    return std::all_of(rule.all.begin(), rule.all.end(), inMain) && anyOf(rule.any, inMain) &&
           std::none_of(rule.none.begin(), rule.none.end(), inMain) &&
           std::all_of(rule.atLeast.begin(), rule.atLeast.end(),
                       [&](const Condition& c) { return mainCopies_[c.slot] >= static_cast<double>(c.copies); }) &&
           std::all_of(rule.sideAll.begin(), rule.sideAll.end(), inSide) && anyOf(rule.sideAny, inSide) &&
           std::none_of(rule.sideNone.begin(), rule.sideNone.end(), inSide);
}

void RuleTyping::deckFinished(std::size_t index) {
    for (const std::size_t slot : touchedSlots_) {
        if (mainCopies_[slot] > 0 || sideCopies_[slot] > 0) held_[slot] = true;
    }
    DeckTyping& typing = decks_.at(index);
    typing = {typeNames_.size() - 1, TypingWay::None, 0};
    for (const CompiledRule& rule : compiled_) {
        if (holds(rule)) {
            typing = {rule.type, TypingWay::Rule, 0};
            break;
        }
    }
    if (!(rules_->similarity > 0)) return;
    const bool unsorted = typing.type == typeNames_.size() - 1;
    if (typing.how == TypingWay::Rule && unsorted) return;
    SparseDeck deck = mainPart_.deck();
    if (typing.how == TypingWay::Rule) {
        ++typeDecks_[typing.type];
        for (const auto& [row, copies] : deck) typeSums_[typing.type][row] += copies;
    } else {
        unnamed_.emplace_back(index, std::move(deck));
    }
}

void RuleTyping::finish() {
    if (unnamed_.empty()) return;
    NearestType nearest;
    for (std::size_t type = 0; type + 1 < typeNames_.size(); ++type) {
        nearest.addType(type, typeSums_[type], typeDecks_[type]);
    }
    for (const auto& [index, deck] : unnamed_) {
        if (const auto found = nearest.nearest(deck, rules_->similarity)) {
            decks_[index] = {found->first, TypingWay::Similar, found->second};
        }
    }
    unnamed_.clear();
    typeSums_.clear();
}

std::vector<std::string> unheldCardWarnings(const TypeRules& rules, const std::string& shownPath,
                                            const std::vector<const RuleTyping*>& runs) {
    std::set<std::string> unheld;
    for (std::size_t i = 0; !runs.empty() && i < runs.front()->namedCards().size(); ++i) {
        if (std::none_of(runs.begin(), runs.end(), [&](const RuleTyping* run) { return run->cardsHeld()[i]; })) {
            unheld.insert(runs.front()->namedCards()[i]);
        }
    }
    std::vector<std::pair<std::size_t, std::string>> places;
    for (const TypeRule& rule : rules.types) {
        for (const auto* cards :
             {&rule.all, &rule.any, &rule.none, &rule.atLeast, &rule.sideAll, &rule.sideAny, &rule.sideNone}) {
            for (const NamedCard& card : *cards) {
                if (unheld.count(card.key) != 0) places.emplace_back(card.line, card.key);
            }
        }
    }
    std::stable_sort(places.begin(), places.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> warnings;
    for (const auto& [line, key] : places) {
        warnings.push_back(shownPath + ":" + std::to_string(line) +
                           ": 警告: どのデッキにもないカードです: " + visibleText(toValidUtf8(key)));
    }
    return warnings;
}

}  // namespace sormel
