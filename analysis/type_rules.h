// The rules that name a deck's type from the cards it plays, as read from
// a TOML file: types in the file's order, each with conditions on the main
// and the side part, and the similarity above which a deck no rule names
// goes to the nearest type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sormel {

// A card a condition names (by the key the table's rows use), with the
// line of the file that names it.
struct NamedCard {
    std::string key;
    std::size_t line = 0;
    std::int64_t copies = 1;  // for at_least: the fewest copies
};

enum class RulePart { Main, Side };

struct TypeRule {
    std::string name;
    std::size_t line = 0;  // of its [[type]] header
    // Main part: every one of `all`, at least one of `any` (when not
    // empty), none of `none`, at least `copies` of each of `atLeast`.
    std::vector<NamedCard> all, any, none, atLeast;
    // The same for the side part.
    std::vector<NamedCard> sideAll, sideAny, sideNone;

    bool hasSideConditions() const { return !sideAll.empty() || !sideAny.empty() || !sideNone.empty(); }
};

struct TypeRules {
    double similarity = 0;  // 0: no nearest-type fallback
    std::vector<TypeRule> types;

    bool hasSideConditions() const;
};

// A rules file the program cannot use; the message names the file and the
// line of each fault, one to a line.
class TypeRulesError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a rules file. `shownPath` names the file in messages.
TypeRules readTypeRules(const std::filesystem::path& file);
TypeRules parseTypeRules(std::string_view text, const std::string& shownPath);

// Whether `name` can name a type: not empty, not "." or "..", without a
// control character or any of / \ : * ? " < > |.
bool usableTypeName(std::string_view name);

}  // namespace sormel
