#include "engine/list_syntax.h"

#include <array>
#include <limits>

namespace sormel {
namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";  // U+3000
constexpr std::string_view kTimes = "\xC3\x97";                  // ×
constexpr std::string_view kMai = "\xE6\x9E\x9A";                // 枚

// Length of the blank at the start of `text`, or 0.
std::size_t blankAt(std::string_view text) {
    if (text.empty()) return 0;
    if (text[0] == ' ' || text[0] == '\t') return 1;
    return text.starts_with(kIdeographicSpace) ? kIdeographicSpace.size() : 0;
}

// Length of the blank at the end of `text`, or 0.
std::size_t blankBefore(std::string_view text) {
    if (text.empty()) return 0;
    if (text.back() == ' ' || text.back() == '\t') return 1;
    return text.ends_with(kIdeographicSpace) ? kIdeographicSpace.size() : 0;
}

std::string_view skipBlanks(std::string_view text) {
    while (const std::size_t n = blankAt(text)) text.remove_prefix(n);
    return text;
}

// The value of the digit at the start of `text` (ASCII or full-width) and
// its length in bytes; length 0 when there is none.
struct Digit {
    unsigned value = 0;
    std::size_t length = 0;
    explicit operator bool() const { return length != 0; }
};

Digit digitAt(std::string_view text) {
    if (!text.empty() && text[0] >= '0' && text[0] <= '9') return {static_cast<unsigned>(text[0] - '0'), 1};
    // U+FF10 … U+FF19: EF BC 90 … EF BC 99.
    if (text.size() >= 3 && text[0] == '\xEF' && text[1] == '\xBC') {
        const auto third = static_cast<unsigned char>(text[2]);
        if (third >= 0x90 && third <= 0x99) return {third - 0x90u, 3};
    }
    return {};
}

Digit digitBefore(std::string_view text) {
    if (!text.empty() && text.back() >= '0' && text.back() <= '9') return {static_cast<unsigned>(text.back() - '0'), 1};
    if (text.size() >= 3) {
        const Digit digit = digitAt(text.substr(text.size() - 3));
        if (digit.length == 3) return digit;
    }
    return {};
}

bool nonZero(const ListCardLine& card) { return card.count.positive(); }

// Length of a count mark (x, X or ×) at the start of `text`, or 0.
std::size_t markAt(std::string_view text) {
    if (!text.empty() && (text[0] == 'x' || text[0] == 'X')) return 1;
    return text.starts_with(kTimes) ? kTimes.size() : 0;
}

std::optional<ListCardLine> countFirst(std::string_view line) {
    ListCardLine card;
    std::size_t digits = 0;
    while (const Digit digit = digitAt(line)) {
        card.count.addDigit(digit.value);
        line.remove_prefix(digit.length);
        ++digits;
    }
    if (digits == 0 || !nonZero(card)) return std::nullopt;
    // Right after the count: a mark with a blank after it, or blanks, then
    // perhaps a mark with a blank after it.
    std::size_t mark = markAt(line);
    if (mark != 0) {
        if (blankAt(line.substr(mark)) == 0) return std::nullopt;
        line.remove_prefix(mark);
    } else {
        if (blankAt(line) == 0) return std::nullopt;
        line = skipBlanks(line);
        mark = markAt(line);
        if (mark != 0 && blankAt(line.substr(mark)) != 0) line.remove_prefix(mark);
    }
    card.name = trimBlanks(line);
    if (card.name.empty()) return std::nullopt;
    return card;
}

// The count at the end of `line` and the text before it.
std::optional<ListCardLine> countLast(std::string_view line) {
    const bool mai = line.ends_with(kMai);
    if (mai) line.remove_suffix(kMai.size());
    std::size_t end = line.size();
    std::size_t digits = 0;
    while (const Digit digit = digitBefore(line.substr(0, end))) {
        end -= digit.length;
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    ListCardLine card;
    for (std::string_view count = line.substr(end); !count.empty();) {
        const Digit digit = digitAt(count);
        card.count.addDigit(digit.value);
        count.remove_prefix(digit.length);
    }
    if (!nonZero(card)) return std::nullopt;
    std::string_view before = line.substr(0, end);
    if (mai) {
        if (blankBefore(before) == 0) return std::nullopt;
    } else if (before.ends_with(kTimes)) {
        before.remove_suffix(kTimes.size());
    } else if (!before.empty() && (before.back() == 'x' || before.back() == 'X')) {
        before.remove_suffix(1);
        if (blankBefore(before) == 0) return std::nullopt;
    } else {
        return std::nullopt;
    }
    card.name = trimBlanks(before);
    if (card.name.empty()) return std::nullopt;
    return card;
}

// ASCII letters compared without case; é and É alike.
bool startsWithFolded(std::string_view text, std::string_view lowerWord, std::size_t& matched) {
    std::size_t t = 0;
    for (std::size_t w = 0; w < lowerWord.size();) {
        if (lowerWord.substr(w).starts_with("\xC3\xA9")) {  // é
            if (text.substr(t).starts_with("\xC3\xA9") || text.substr(t).starts_with("\xC3\x89")) {
                t += 2;
                w += 2;
                continue;
            }
            return false;
        }
        if (lowerWord[w] == ' ') {  // one or more blanks
            const std::size_t first = blankAt(text.substr(t));
            if (first == 0) return false;
            const std::string_view rest = skipBlanks(text.substr(t));
            t = text.size() - rest.size();
            ++w;
            continue;
        }
        if (t >= text.size()) return false;
        char c = text[t];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[w]) return false;
        ++t;
        ++w;
    }
    matched = t;
    return true;
}

// After a section word: blanks, an optional colon, blanks, an optional count.
bool isSectionTail(std::string_view rest) {
    rest = skipBlanks(rest);
    if (!rest.empty() && rest[0] == ':') rest = skipBlanks(rest.substr(1));
    while (const Digit digit = digitAt(rest)) rest.remove_prefix(digit.length);
    return rest.empty();
}

struct SectionWord {
    std::string_view word;  // lower case; a space stands for blanks
    ListSection section;
};

constexpr std::array<SectionWord, 26> kSectionWords{{
    {"deck", ListSection::Main},
    {"main", ListSection::Main},
    {"maindeck", ListSection::Main},
    {"main deck", ListSection::Main},
    {"commander", ListSection::Main},
    {"companion", ListSection::Main},
    {"\xE3\x83\xA1\xE3\x82\xA4\xE3\x83\xB3", ListSection::Main},                                      // メイン
    {"\xE3\x83\xA1\xE3\x82\xA4\xE3\x83\xB3\xE3\x83\x87\xE3\x83\x83\xE3\x82\xAD", ListSection::Main},  // メインデッキ
    {"pok\xC3\xA9mon", ListSection::Main},
    {"trainer", ListSection::Main},
    {"energy", ListSection::Main},
    {"arena cards", ListSection::Main},
    {"deck cards", ListSection::Main},
    {"equipment", ListSection::Main},
    {"weapons", ListSection::Main},
    {"sideboard", ListSection::Side},
    {"side", ListSection::Side},
    {"sb", ListSection::Side},
    {"\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x89", ListSection::Side},                                      // サイド
    {"\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x89\xE3\x83\x87\xE3\x83\x83\xE3\x82\xAD", ListSection::Side},  // サイドデッキ
    {"\xE3\x82\xB5\xE3\x82\xA4\xE3\x83\x89\xE3\x83\x9C\xE3\x83\xBC\xE3\x83\x89", ListSection::Side},  // サイドボード
    {"maybeboard", ListSection::NotCounted},
    {"maybe", ListSection::NotCounted},
    {"considering", ListSection::NotCounted},
    {"tokens", ListSection::NotCounted},
    {"token", ListSection::NotCounted},
}};

// The word of a bracketed heading (`[Main]`), trimmed.
std::optional<std::string_view> bracketWord(std::string_view line) {
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    return trimBlanks(line.substr(1, line.size() - 2));
}

bool equalsFolded(std::string_view text, std::string_view lowerWord) {
    std::size_t matched = 0;
    return startsWithFolded(text, lowerWord, matched) && matched == text.size();
}

// `COUNTxCODE` with no blank: ASCII digits, a lower-case x, and a code of
// ASCII letters, digits and `-` holding at least one letter and one digit.
std::optional<ListCardLine> countByCode(std::string_view line) {
    ListCardLine card;
    std::size_t i = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) card.count.addDigit(static_cast<unsigned>(line[i] - '0'));
    if (i == 0 || i >= line.size() || line[i] != 'x' || !nonZero(card)) return std::nullopt;
    const std::string_view code = line.substr(i + 1);
    bool letter = false, digit = false;
    for (const char c : code) {
        const bool isLetter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool isDigit = c >= '0' && c <= '9';
        if (!isLetter && !isDigit && c != '-') return std::nullopt;
        letter = letter || isLetter;
        digit = digit || isDigit;
    }
    if (!letter || !digit) return std::nullopt;
    card.name = code;
    return card;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    text = skipBlanks(text);
    while (const std::size_t n = blankBefore(text)) text.remove_suffix(n);
    return text;
}

std::optional<ListCardLine> parseListCardLine(std::string_view line) {
    if (auto card = countFirst(line)) return card;
    if (auto card = countLast(line)) return card;
    return countByCode(line);
}

ListSection parseListSection(std::string_view line) {
    if (const std::optional<std::string_view> word = bracketWord(line)) {
        if (equalsFolded(*word, "main") || equalsFolded(*word, "commander")) return ListSection::Main;
        if (equalsFolded(*word, "sideboard")) return ListSection::Side;
        return ListSection::NotCounted;
    }
    for (const SectionWord& candidate : kSectionWords) {
        std::size_t matched = 0;
        if (startsWithFolded(line, candidate.word, matched) && isSectionTail(line.substr(matched))) {
            return candidate.section;
        }
    }
    return ListSection::None;
}

std::optional<std::string_view> afterSideboardMark(std::string_view line) {
    std::size_t matched = 0;
    if (!startsWithFolded(line, "sb", matched)) return std::nullopt;
    const std::string_view rest = skipBlanks(line.substr(matched));
    if (rest.empty() || rest[0] != ':') return std::nullopt;
    return trimBlanks(rest.substr(1));
}

bool isUnknownHeading(std::string_view line) {
    const std::optional<std::string_view> word = bracketWord(line);
    return word && parseListSection(line) == ListSection::NotCounted && !equalsFolded(*word, "metadata");
}

std::optional<std::string_view> heroName(std::string_view line) {
    std::size_t matched = 0;
    if (!startsWithFolded(line, "hero", matched)) return std::nullopt;
    const std::string_view rest = skipBlanks(line.substr(matched));
    if (rest.empty() || rest[0] != ':') return std::nullopt;
    const std::string_view name = trimBlanks(rest.substr(1));
    if (name.empty()) return std::nullopt;
    return name;
}

}  // namespace sormel
