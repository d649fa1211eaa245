// Cutting deck text into lines and fields, and telling what a line is.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace sormel {

// Walks the lines of a text. A line ends at CR, LF or CR LF; the last line
// needs no terminator; an empty text has no lines.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}
    // Sets `line` to the next line and returns true, or returns false at
    // the end of the text.
    bool next(std::string_view& line) {
        const std::size_t size = text_.size();
        if (pos_ >= size) return false;
        const char* data = text_.data();
        // The line ends at the next LF or at the first CR before it. The LF
        // found is remembered, so that a text without LFs is searched once.
        if (nextLf_ == kNotSearched || nextLf_ < pos_) {
            const void* lf = std::memchr(data + pos_, '\n', size - pos_);
            nextLf_ = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : size;
        }
        const void* cr = std::memchr(data + pos_, '\r', nextLf_ - pos_);
        const std::size_t end = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : nextLf_;
        ++lineNumber_;
        line = std::string_view(data + pos_, end - pos_);
        pos_ = end + 1;
        if (end < size && data[end] == '\r' && pos_ < size && data[pos_] == '\n') ++pos_;
        return true;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    // 1-based number of the line `next` returned last.
    std::size_t lineNumber() const { return lineNumber_; }

private:
    static constexpr std::size_t kNotSearched = static_cast<std::size_t>(-1);
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t nextLf_ = kNotSearched;
    std::size_t lineNumber_ = 0;
};

// The fields a deck line is read by: the line split at every ",", with
// missing fields empty and fields after the third ignored. The card name is
// only needed for a card seen for the first time, so it is cut on demand.
struct DeckFields {
    std::string_view count;
    std::string_view cardNumber;
    std::string_view rest;  // everything after the second ","

    std::string_view cardName() const { return rest.substr(0, rest.find(',')); }
};

inline DeckFields splitDeckLine(std::string_view line) {
    DeckFields fields;
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* p = begin;
    while (p != end && *p != ',') ++p;
    fields.count = std::string_view(begin, static_cast<std::size_t>(p - begin));
    if (p == end) return fields;
    const char* const numberStart = ++p;
    while (p != end && *p != ',') ++p;
    fields.cardNumber = std::string_view(numberStart, static_cast<std::size_t>(p - numberStart));
    if (p != end) fields.rest = std::string_view(p + 1, static_cast<std::size_t>(end - p - 1));
    return fields;
}

enum class LineKind {
    SideSeparator,  // the count field is exactly "--"
    Ignored,        // the count reads as 0
    Card,           // anything else
};

struct LineClass {
    LineKind kind;
    double copies;  // the count read as a number, for a card line
};

LineClass classifyCountField(std::string_view count);

}  // namespace sormel
