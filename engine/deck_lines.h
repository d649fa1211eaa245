// Cutting deck text into lines and fields, and telling what a line is.
#pragma once

#include <cstddef>
#include <string_view>

namespace sormel {

// Walks the lines of a text. A line ends at CR, LF or CR LF; the last line
// needs no terminator; an empty text has no lines.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}
    // Sets `line` to the next line and returns true, or returns false at
    // the end of the text.
    bool next(std::string_view& line);
    bool atEnd() const { return pos_ >= text_.size(); }
    // 1-based number of the line `next` returned last.
    std::size_t lineNumber() const { return lineNumber_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    static constexpr std::size_t kNotSearched = static_cast<std::size_t>(-1);
    std::size_t nextLf_ = kNotSearched;
    std::size_t lineNumber_ = 0;
};

// The three fields a deck line is read by: the line split at every ",",
// with missing fields empty and fields after the third ignored.
struct DeckFields {
    std::string_view count;
    std::string_view cardNumber;
    std::string_view cardName;
};

DeckFields splitDeckLine(std::string_view line);

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
