#include "analysis/type_suggestion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <unordered_map>

#include "analysis/deck_typing.h"
#include "analysis/type_rules.h"
#include "engine/numeric_text.h"

namespace sormel {
namespace {

constexpr double kSuggestedSimilarity = 0.5;
constexpr double kStapleAdoption = 0.5;     // cards in more decks than this set no deck apart
constexpr double kSeedSimilarity = 0.3;     // a deck less like every group than this starts one
constexpr double kMergedSimilarity = 0.75;  // groups more alike than this are one
constexpr double kSmallestGroup = 0.005;    // of all decks
constexpr double kCoreAdoption = 0.75;      // a condition's card is in at least this share of its group
constexpr std::size_t kMostConditions = 4;
constexpr int kRounds = 25;

using Rows = std::vector<std::uint32_t>;  // the rows a deck plays, sorted

bool plays(const Rows& deck, std::uint32_t row) { return std::binary_search(deck.begin(), deck.end(), row); }

class Grouping {
public:
    Grouping(const std::vector<Rows>& features, std::size_t rows) : features_(features), rows_(rows) {}

    // Groups by spherical k-means from farthest-first seeds: `count` of
    // them, or as many as there are decks unlike every seed so far.
    std::vector<std::size_t> group(std::optional<int> count) {
        seed(count);
        for (int round = 0; round < kRounds && assign(); ++round) centre();
        if (!count) {
            while (dropSmallest() || mergeClosest()) {
                for (int round = 0; round < kRounds && assign(); ++round) centre();
            }
        }
        return groupOf_;
    }

private:
    double similarity(std::size_t deck, const std::vector<double>& centre) const {
        const Rows& rows = features_[deck];
        if (rows.empty()) return 0;
        double dot = 0;
        for (const std::uint32_t row : rows) dot += centre[row];
        return dot / std::sqrt(static_cast<double>(rows.size()));
    }

    std::vector<double> unitDeck(std::size_t deck) const {
        std::vector<double> centre(rows_, 0);
        for (const std::uint32_t row : features_[deck]) centre[row] = 1 / std::sqrt(double(features_[deck].size()));
        return centre;
    }

    void seed(std::optional<int> count) {
        const std::size_t wanted = count ? static_cast<std::size_t>(*count) : 50;
        std::vector<double> mean(rows_, 0);
        for (const Rows& rows : features_) {
            for (const std::uint32_t row : rows) mean[row] += 1;
        }
        std::size_t first = 0;
        double best = -1;
        for (std::size_t deck = 0; deck < features_.size(); ++deck) {
            const double s = similarity(deck, mean);
            if (s > best) best = s, first = deck;
        }
        centres_ = {unitDeck(first)};
        std::vector<double> nearest(features_.size(), 0);
        for (std::size_t deck = 0; deck < features_.size(); ++deck) nearest[deck] = similarity(deck, centres_[0]);
        while (centres_.size() < wanted) {
            std::size_t farthest = features_.size();
            for (std::size_t deck = 0; deck < features_.size(); ++deck) {
                if (features_[deck].empty()) continue;
                if (farthest == features_.size() || nearest[deck] < nearest[farthest]) farthest = deck;
            }
            if (farthest == features_.size() || (!count && nearest[farthest] >= kSeedSimilarity)) break;
            if (count && nearest[farthest] >= 1 - 1e-12) break;  // every deck is a seed's copy
            centres_.push_back(unitDeck(farthest));
            for (std::size_t deck = 0; deck < features_.size(); ++deck) {
                nearest[deck] = std::max(nearest[deck], similarity(deck, centres_.back()));
            }
        }
        groupOf_.assign(features_.size(), 0);
    }

    // True when a deck changed group.
    bool assign() {
        bool changed = false;
        for (std::size_t deck = 0; deck < features_.size(); ++deck) {
            std::size_t best = 0;
            double bestSimilarity = -1;
            for (std::size_t group = 0; group < centres_.size(); ++group) {
                const double s = similarity(deck, centres_[group]);
                if (s > bestSimilarity) bestSimilarity = s, best = group;
            }
            if (groupOf_[deck] != best) changed = true;
            groupOf_[deck] = best;
        }
        return changed;
    }

    void centre() {
        for (std::vector<double>& c : centres_) std::fill(c.begin(), c.end(), 0);
        for (std::size_t deck = 0; deck < features_.size(); ++deck) {
            const Rows& rows = features_[deck];
            for (const std::uint32_t row : rows) {
                centres_[groupOf_[deck]][row] += 1 / std::sqrt(static_cast<double>(rows.size()));
            }
        }
        for (std::vector<double>& c : centres_) {
            double squares = 0;
            for (const double value : c) squares += value * value;
            if (squares > 0) {
                for (double& value : c) value /= std::sqrt(squares);
            }
        }
    }

    std::vector<std::size_t> sizes() const {
        std::vector<std::size_t> sizes(centres_.size(), 0);
        for (const std::size_t group : groupOf_) ++sizes[group];
        return sizes;
    }

    void remove(std::size_t group) {
        centres_.erase(centres_.begin() + static_cast<std::ptrdiff_t>(group));
        for (std::size_t& of : groupOf_) of = of > group ? of - 1 : (of == group ? 0 : of);
    }

    // Every group too small to be a type gives its decks to the others.
    bool dropSmallest() {
        const std::vector<std::size_t> count = sizes();
        bool dropped = false;
        for (std::size_t group = centres_.size(); group-- > 0 && centres_.size() > 2;) {
            if (static_cast<double>(count[group]) < kSmallestGroup * static_cast<double>(features_.size())) {
                remove(group);
                dropped = true;
            }
        }
        return dropped;
    }

    // Of every pair of groups more alike than kMergedSimilarity, the later
    // gives its decks to the others (a group goes at most once a pass).
    bool mergeClosest() {
        std::vector<bool> gone(centres_.size(), false);
        for (std::size_t a = 0; a < centres_.size(); ++a) {
            if (gone[a]) continue;
            for (std::size_t b = a + 1; b < centres_.size(); ++b) {
                if (gone[b]) continue;
                double dot = 0;
                for (std::size_t row = 0; row < rows_; ++row) dot += centres_[a][row] * centres_[b][row];
                if (dot > kMergedSimilarity) gone[b] = true;
            }
        }
        bool merged = false;
        for (std::size_t group = centres_.size(); group-- > 0 && centres_.size() > 2;) {
            if (gone[group]) {
                remove(group);
                merged = true;
            }
        }
        return merged;
    }

    const std::vector<Rows>& features_;
    const std::size_t rows_;
    std::vector<std::vector<double>> centres_;
    std::vector<std::size_t> groupOf_;
};

// Per row, the share of the decks in `members` (and of the others) that play it.
struct Adoption {
    std::vector<double> in, out;
};

Adoption adoptionOf(const std::vector<Rows>& decks, const std::vector<bool>& members, std::size_t rows) {
    Adoption adoption{std::vector<double>(rows, 0), std::vector<double>(rows, 0)};
    double in = 0, out = 0;
    for (std::size_t deck = 0; deck < decks.size(); ++deck) {
        (members[deck] ? in : out) += 1;
        for (const std::uint32_t row : decks[deck]) (members[deck] ? adoption.in : adoption.out)[row] += 1;
    }
    for (std::size_t row = 0; row < rows; ++row) {
        if (in > 0) adoption.in[row] /= in;
        if (out > 0) adoption.out[row] /= out;
    }
    return adoption;
}

// The rows by how much more the members play them than the others.
std::vector<std::uint32_t> byDistinction(const Adoption& adoption) {
    std::vector<std::uint32_t> rows(adoption.in.size());
    for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = static_cast<std::uint32_t>(row);
    std::stable_sort(rows.begin(), rows.end(), [&](std::uint32_t a, std::uint32_t b) {
        return adoption.in[a] - adoption.out[a] > adoption.in[b] - adoption.out[b];
    });
    return rows;
}

// 1 to 4 cards most of the members play, each leaving fewer other decks
// that play them all.
Rows conditionsOf(const std::vector<Rows>& decks, const std::vector<bool>& members) {
    std::size_t rowCount = 0;
    for (const Rows& deck : decks) {
        if (!deck.empty()) rowCount = std::max<std::size_t>(rowCount, deck.back() + 1);
    }
    const Adoption adoption = adoptionOf(decks, members, rowCount);
    Rows chosen;
    std::vector<std::size_t> others;
    for (std::size_t deck = 0; deck < decks.size(); ++deck) {
        if (!members[deck]) others.push_back(deck);
    }
    for (const std::uint32_t row : byDistinction(adoption)) {
        if (chosen.size() == kMostConditions || (!chosen.empty() && others.empty())) break;
        if (adoption.in[row] < kCoreAdoption) continue;
        std::vector<std::size_t> left;
        for (const std::size_t deck : others) {
            if (plays(decks[deck], row)) left.push_back(deck);
        }
        if (!chosen.empty() && left.size() >= others.size()) continue;
        chosen.push_back(row);
        others = std::move(left);
    }
    if (chosen.empty() && rowCount > 0) chosen.push_back(byDistinction(adoption).front());
    return chosen;
}

std::string percentText(std::size_t part, std::size_t whole) {
    return hundredthsText(percentInHundredths(static_cast<double>(part), static_cast<double>(whole)));
}

}  // namespace

std::string tomlString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            static const char* const kHex = "0123456789ABCDEF";
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string suggestTypeRules(const std::vector<SparseDeck>& decks, const SuggestionCards& cards,
                             std::optional<int> count) {
    const std::size_t rows = cards.keys.size();
    std::vector<Rows> played(decks.size());
    std::vector<std::size_t> decksPlaying(rows, 0);
    for (std::size_t deck = 0; deck < decks.size(); ++deck) {
        for (const auto& [row, copies] : decks[deck]) played[deck].push_back(row);
        std::sort(played[deck].begin(), played[deck].end());
        for (const std::uint32_t row : played[deck]) ++decksPlaying[row];
    }
    // Cards most decks play, and cards hardly any deck plays, set no group apart.
    const double total = static_cast<double>(decks.size());
    const double rare = std::max(2.0, total * 0.002);
    std::vector<Rows> features(decks.size());
    for (std::size_t deck = 0; deck < decks.size(); ++deck) {
        for (const std::uint32_t row : played[deck]) {
            const double n = static_cast<double>(decksPlaying[row]);
            if (n < kStapleAdoption * total && n >= rare) features[deck].push_back(row);
        }
    }
    const std::vector<std::size_t> groupOf = Grouping(features, rows).group(count);
    std::size_t groups = 0;
    for (const std::size_t group : groupOf) groups = std::max(groups, group + 1);
    std::vector<std::pair<std::size_t, Rows>> rules;  // size, conditions
    for (std::size_t group = 0; group < groups; ++group) {
        std::vector<bool> members(decks.size());
        std::size_t size = 0;
        for (std::size_t deck = 0; deck < decks.size(); ++deck) size += (members[deck] = groupOf[deck] == group);
        // A group of decks without a card would make a type that takes every deck.
        Rows conditions = size > 0 ? conditionsOf(played, members) : Rows();
        if (!conditions.empty()) rules.emplace_back(size, std::move(conditions));
    }
    std::stable_sort(rules.begin(), rules.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

    // The decks each rule names when the file is read back, the fallback included.
    std::vector<std::size_t> typeOf(decks.size(), rules.size());
    std::vector<std::unordered_map<std::uint32_t, double>> sums(rules.size());
    std::vector<std::int64_t> named(rules.size(), 0);
    for (std::size_t deck = 0; deck < decks.size(); ++deck) {
        for (std::size_t rule = 0; rule < rules.size(); ++rule) {
            const Rows& all = rules[rule].second;
            if (std::all_of(all.begin(), all.end(), [&](std::uint32_t row) { return plays(played[deck], row); })) {
                typeOf[deck] = rule;
                ++named[rule];
                for (const auto& [row, copies] : decks[deck]) sums[rule][row] += copies;
                break;
            }
        }
    }
    NearestType nearest;
    for (std::size_t rule = 0; rule < rules.size(); ++rule) nearest.addType(rule, sums[rule], named[rule]);
    for (std::size_t deck = 0; deck < decks.size(); ++deck) {
        if (typeOf[deck] != rules.size()) continue;
        if (const auto found = nearest.nearest(decks[deck], kSuggestedSimilarity)) typeOf[deck] = found->first;
    }

    std::string text = "# " + std::to_string(decks.size()) + " デッキから作成したデッキタイプの案です。\n" +
                       "similarity = " + numberText(kSuggestedSimilarity) + "\n";
    std::set<std::string> taken;
    for (std::size_t rule = 0; rule < rules.size(); ++rule) {
        std::vector<bool> members(decks.size());
        std::size_t size = 0;
        for (std::size_t deck = 0; deck < decks.size(); ++deck) size += (members[deck] = typeOf[deck] == rule);
        const std::vector<std::uint32_t> distinct = byDistinction(adoptionOf(played, members, rows));
        std::string name;
        std::size_t used = 0;
        for (const std::uint32_t row : distinct) {
            const std::string& card = cards.names[row].empty() ? cards.keys[row] : cards.names[row];
            name += (name.empty() ? "" : "・") + card;
            if (++used >= 2 && usableTypeName(name) && taken.count(name) == 0 && name != "分類なし") break;
        }
        if (!usableTypeName(name) || taken.count(name) != 0) name = "タイプ" + std::to_string(rule + 1);
        taken.insert(name);
        text += "\n# " + std::to_string(size) + " デッキ（" + percentText(size, decks.size()) + "%）\n";
        text += "[[type]]\nname = " + tomlString(name) + "\nall = [";
        for (std::size_t i = 0; i < rules[rule].second.size(); ++i) {
            text += (i > 0 ? ", " : "") + tomlString(cards.keys[rules[rule].second[i]]);
        }
        text += "]\n";
    }
    return text;
}

}  // namespace sormel
