#include "engine/list_marks.h"

#include "engine/list_syntax.h"

namespace sormel {
namespace {

constexpr std::string_view kStar = "\xE2\x98\x85";  // ★

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool isAsciiAlnum(char c) { return isAsciiLetter(c) || isAsciiDigit(c); }

bool allOf(std::string_view text, bool (*accepts)(char)) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (!accepts(c)) return false;
    }
    return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsFolded(std::string_view text, std::string_view lowerWord) {
    if (text.size() != lowerWord.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (lower(text[i]) != lowerWord[i]) return false;
    }
    return true;
}

bool containsFolded(std::string_view text, std::string_view lowerWord) {
    for (std::size_t i = 0; i + lowerWord.size() <= text.size(); ++i) {
        if (equalsFolded(text.substr(i, lowerWord.size()), lowerWord)) return true;
    }
    return false;
}

// What a tag list (`Ramp,Sideboard{top}`) says about the line's part.
TaggedPart partOfTags(std::string_view tags) {
    TaggedPart part = TaggedPart::Unchanged;
    while (!tags.empty()) {
        const std::size_t comma = tags.find(',');
        const std::string_view tag = tags.substr(0, comma);
        tags = comma == std::string_view::npos ? std::string_view() : tags.substr(comma + 1);
        if (containsFolded(tag, "{nodeck}")) return TaggedPart::NotCounted;
        const std::string_view word = trimBlanks(tag.substr(0, tag.find('{')));
        if (equalsFolded(word, "maybeboard")) return TaggedPart::NotCounted;
        if (equalsFolded(word, "sideboard")) part = TaggedPart::Side;
    }
    return part;
}

// The text before a trailing group that opens with `open` after a blank and
// ends the text with `close`, with what the group holds; nothing when the
// text does not end so or no name would be left.
bool cutTrailingGroup(std::string_view& text, char open, char close, std::string_view& inside) {
    if (text.size() < 2 || text.back() != close) return false;
    const std::size_t start = text.rfind(open, text.size() - 2);
    if (start == std::string_view::npos || start == 0 || !isBlank(text[start - 1])) return false;
    const std::string_view before = trimBlanks(text.substr(0, start));
    if (before.empty()) return false;
    inside = text.substr(start + 1, text.size() - start - 2);
    text = before;
    return true;
}

bool isCollectorNumber(std::string_view text) {
    if (text.empty()) return false;
    while (!text.empty()) {
        if (text.starts_with(kStar)) {
            text.remove_prefix(kStar.size());
        } else if (isAsciiAlnum(text[0]) || text[0] == '-') {
            text.remove_prefix(1);
        } else {
            return false;
        }
    }
    return true;
}

// Digits with perhaps one letter after them.
bool isPlainCollectorNumber(std::string_view text) {
    if (!text.empty() && isAsciiLetter(text.back())) text.remove_suffix(1);
    return allOf(text, isAsciiDigit);
}

bool isUpperSetCode(std::string_view text) {
    if (text.size() < 2 || text.size() > 5) return false;
    for (const char c : text) {
        if (!((c >= 'A' && c <= 'Z') || isAsciiDigit(c))) return false;
    }
    return true;
}

// ` (SET) NUMBER` or ` SET NUMBER`.
bool cutSetAndNumber(std::string_view& name) {
    const std::size_t lastSpace = name.rfind(' ');
    if (lastSpace == std::string_view::npos) return false;
    const std::string_view number = name.substr(lastSpace + 1);
    const std::string_view before = name.substr(0, lastSpace);
    const std::size_t setStart = before.rfind(' ');
    if (setStart == std::string_view::npos || setStart == 0) return false;
    const std::string_view set = before.substr(setStart + 1);
    const bool inParentheses = set.size() >= 4 && set.front() == '(' && set.back() == ')' &&
                               set.size() <= 7 && allOf(set.substr(1, set.size() - 2), isAsciiAlnum) &&
                               isCollectorNumber(number);
    if (!inParentheses && !(isUpperSetCode(set) && isPlainCollectorNumber(number))) return false;
    name = name.substr(0, setStart);
    return true;
}

// `|SET` or `|SET|N` right after the name.
bool cutBarMark(std::string_view& name) {
    const std::size_t bar = name.find('|');
    if (bar == std::string_view::npos || bar == 0) return false;
    const std::string_view mark = name.substr(bar + 1);
    const std::size_t second = mark.find('|');
    if (!allOf(mark.substr(0, second), isAsciiAlnum)) return false;
    if (second != std::string_view::npos && !allOf(mark.substr(second + 1), isAsciiDigit)) return false;
    const std::string_view before = trimBlanks(name.substr(0, bar));
    if (before.empty()) return false;
    name = before;
    return true;
}

// ` *WORD*`.
bool cutStarMark(std::string_view& name) {
    std::string_view cut = name;
    std::string_view word;
    if (!cutTrailingGroup(cut, '*', '*', word) || !allOf(word, isAsciiAlnum)) return false;
    name = cut;
    return true;
}

}  // namespace

std::string_view withoutPrintingMark(std::string_view name) {
    while (cutStarMark(name) || cutSetAndNumber(name) || cutBarMark(name)) {
    }
    return name;
}

ListName splitListName(std::string_view name) {
    ListName result;
    for (;;) {
        std::string_view tags;
        if (cutTrailingGroup(name, '[', ']', tags) || cutTrailingGroup(name, '^', '^', tags)) {
            const TaggedPart part = partOfTags(tags);
            if (part == TaggedPart::NotCounted || result.part == TaggedPart::Unchanged) result.part = part;
            continue;
        }
        break;
    }
    result.cardNumber = name;
    result.cardName = withoutPrintingMark(name);
    return result;
}

}  // namespace sormel
