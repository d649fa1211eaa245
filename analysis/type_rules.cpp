#include "analysis/type_rules.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

#include <toml++/toml.h>

#include "engine/file_error.h"
#include "engine/text_decoding.h"
#include "engine/visible_text.h"

namespace sormel {
namespace {

struct Fault {
    std::size_t line;
    std::string message;
};

std::size_t lineOf(const toml::source_region& source) { return static_cast<std::size_t>(source.begin.line); }

std::string shownText(std::string_view text) { return "「" + visibleText(toValidUtf8(text)) + "」"; }

// The line of the first byte that is not UTF-8, or 0 when all are.
std::size_t firstLineNotUtf8(std::string_view text) {
    std::size_t line = 1;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        if (!isValidUtf8(text.substr(start, end - start))) return line;
        start = end + 1;
        ++line;
    }
    return 0;
}

class RulesReader {
public:
    explicit RulesReader(const toml::table& document) : document_(document) {}

    TypeRules read() {
        for (auto&& [key, node] : document_) {
            if (key.str() == "similarity") {
                readSimilarity(node);
            } else if (key.str() != "type") {
                fault(lineOf(key.source()), "不明なキーです: " + shownText(key.str()));
            }
        }
        if (const toml::node* types = document_.get("type")) readTypes(*types);
        return std::move(rules_);
    }

    std::vector<Fault> faults() { return std::move(faults_); }

private:
    void fault(std::size_t line, std::string message) { faults_.push_back({line, std::move(message)}); }

    void readSimilarity(const toml::node& node) {
        const std::optional<double> value = node.value<double>();  // integers too
        if (!value || !node.is_number() || !(*value >= 0 && *value <= 1)) {
            fault(lineOf(node.source()), "similarity には 0 から 1 までの数を指定してください。");
            return;
        }
        rules_.similarity = *value;
    }

    void readTypes(const toml::node& node) {
        const toml::array* array = node.as_array();
        if (array == nullptr || !array->is_array_of_tables()) {
            fault(lineOf(node.source()), "type には [[type]] の表を指定してください。");
            return;
        }
        std::map<std::string, std::size_t> nameLines;
        for (const toml::node& element : *array) {
            TypeRule rule;
            if (readType(*element.as_table(), rule)) {
                const auto [at, added] = nameLines.emplace(rule.name, rule.line);
                if (!added) {
                    fault(nameLine_, "タイプ名 " + shownText(rule.name) + " は " + std::to_string(at->second) +
                                         " 行目のタイプと重複しています。");
                }
            }
            rules_.types.push_back(std::move(rule));
        }
    }

    // False when the type has no usable name.
    bool readType(const toml::table& table, TypeRule& rule) {
        rule.line = lineOf(table.source());
        bool named = false;
        for (auto&& [key, node] : table) {
            const std::string_view name = key.str();
            const std::size_t line = lineOf(key.source());
            if (name == "name") {
                named = readName(node, line, rule);
            } else if (name == "at_least") {
                readCounts(node, line, rule.atLeast);
            } else if (std::vector<NamedCard>* cards = cardList(rule, name)) {
                readCards(node, line, name, *cards);
            } else {
                fault(line, "不明なキーです: " + shownText(name));
            }
        }
        if (!table.contains("name")) fault(rule.line, "タイプに name がありません。");
        return named;
    }

    static std::vector<NamedCard>* cardList(TypeRule& rule, std::string_view key) {
        if (key == "all") return &rule.all;
        if (key == "any") return &rule.any;
        if (key == "none") return &rule.none;
        if (key == "side_all") return &rule.sideAll;
        if (key == "side_any") return &rule.sideAny;
        if (key == "side_none") return &rule.sideNone;
        return nullptr;
    }

    bool readName(const toml::node& node, std::size_t line, TypeRule& rule) {
        const std::optional<std::string> name = node.value_exact<std::string>();
        if (!name) {
            fault(line, "name には文字列を指定してください。");
            return false;
        }
        if (!usableTypeName(*name)) {
            fault(line, "タイプ名に使えない名前です: " + shownText(*name) +
                            "（空の名前、.、..、制御文字、/ \\ : * ? \" < > | は使えません）");
            return false;
        }
        rule.name = *name;
        nameLine_ = line;
        return true;
    }

    void readCards(const toml::node& node, std::size_t line, std::string_view key, std::vector<NamedCard>& cards) {
        const toml::array* array = node.as_array();
        const bool strings = array != nullptr && std::all_of(array->begin(), array->end(), [](const toml::node& card) {
                                 return card.is_string();
                             });
        if (!strings) {
            fault(line, std::string(key) + " にはカードの文字列の配列を指定してください。");
            return;
        }
        for (const toml::node& card : *array) {
            const std::size_t at = lineOf(card.source());
            cards.push_back({*card.value_exact<std::string>(), at == 0 ? line : at, 1});
        }
    }

    void readCounts(const toml::node& node, std::size_t line, std::vector<NamedCard>& cards) {
        const toml::table* table = node.as_table();
        if (table == nullptr) {
            fault(line, "at_least には { \"カード\" = 枚数 } の表を指定してください。");
            return;
        }
        for (auto&& [key, count] : *table) {
            const std::size_t at = lineOf(key.source()) == 0 ? line : lineOf(key.source());
            const std::optional<std::int64_t> copies = count.value_exact<std::int64_t>();
            if (!copies || *copies < 1) {
                fault(at, "at_least の枚数には 1 以上の整数を指定してください: " + shownText(key.str()));
                continue;
            }
            cards.push_back({std::string(key.str()), at, *copies});
        }
    }

    const toml::table& document_;
    TypeRules rules_;
    std::vector<Fault> faults_;
    std::size_t nameLine_ = 0;
};

}  // namespace

bool TypeRules::hasSideConditions() const {
    return std::any_of(types.begin(), types.end(), [](const TypeRule& rule) { return rule.hasSideConditions(); });
}

bool usableTypeName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x20 || byte == 0x7f) return false;
        if (std::string_view("/\\:*?\"<>|").find(name[i]) != std::string_view::npos) return false;
        // U+0080 … U+009F, as UTF-8.
        if (byte == 0xc2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) <= 0x9f) return false;
    }
    return true;
}

TypeRules parseTypeRules(std::string_view text, const std::string& shownPath) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (const std::size_t line = firstLineNotUtf8(text)) {
        throw TypeRulesError(shownPath + ":" + std::to_string(line) + ": UTF-8 のテキストではありません。");
    }
    toml::table document;
    try {
        document = toml::parse(text, std::string_view(shownPath));
    } catch (const toml::parse_error& error) {
        throw TypeRulesError(shownPath + ":" + std::to_string(lineOf(error.source())) +
                             ": TOML として読めません: " + std::string(error.description()));
    }
    RulesReader reader(document);
    TypeRules rules = reader.read();
    std::vector<Fault> faults = reader.faults();
    if (faults.empty()) return rules;
    // The table keeps its keys sorted; the faults are told in the file's order.
    std::stable_sort(faults.begin(), faults.end(), [](const Fault& a, const Fault& b) { return a.line < b.line; });
    std::string message;
    for (const Fault& fault : faults) {
        if (!message.empty()) message += '\n';
        message += shownPath + ":" + std::to_string(fault.line) + ": " + fault.message;
    }
    throw TypeRulesError(message);
}

TypeRules readTypeRules(const std::filesystem::path& file) {
    const std::string shownPath = displayPath(file);
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    if (!in || in.bad() || std::filesystem::is_directory(file)) {
        throw TypeRulesError(shownPath + ": タイプ定義ファイルを読めません。");
    }
    return parseTypeRules(text.str(), shownPath);
}

}  // namespace sormel
