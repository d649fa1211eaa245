// Reading a deck in the program's own format, one line at a time:
//
//   count,card number,card name
//
// A line whose count field is exactly "--" begins the side part; a count
// that reads as 0 makes the line count nothing. Lines and fields are cut on
// the raw bytes, so code-page-932 text needs no decoding to be read.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "engine/deck_entry.h"
#include "engine/deck_lines.h"

namespace sormel {

// A line cut from a deck's text and split into its fields.
struct SplitDeckLine {
    std::string_view line;
    DeckFields fields;
};

// What a line of the own format is, with its entry for a card line. `part`
// is the part the line is in, and becomes the side part at the separator.
inline DeckStep readNativeLine(const SplitDeckLine& split, bool includeSidePart, DeckPart& part, DeckEntry& entry);

class NativeDeckReader {
public:
    // `includeSidePart` false ends the deck at the side separator.
    NativeDeckReader(std::string_view text, bool includeSidePart) : cursor_(text), includeSidePart_(includeSidePart) {}

    bool atEnd() const { return cursor_.atEnd(); }
    // 1-based number of the line `next` read last.
    std::size_t lineNumber() const { return cursor_.lineNumber(); }
    // The text of that line, in the file's encoding.
    std::string_view lineText() const { return line_; }
    // The own format has nothing to warn of line by line.
    std::string warning() const { return {}; }

    // Reads the next line; call only while !atEnd().
    DeckStep next(DeckEntry& entry) {
        cursor_.next(line_);
        return readNativeLine({line_, splitDeckLine(line_)}, includeSidePart_, part_, entry);
    }

private:
    LineCursor cursor_;
    const bool includeSidePart_;
    DeckPart part_ = DeckPart::Main;
    std::string_view line_;
};

// The same reading, of lines cut and split beforehand: every line of a
// deck's text, in order, as LineCursor and splitDeckLine give them.
class SplitNativeDeckReader {
public:
    SplitNativeDeckReader(std::span<const SplitDeckLine> lines, bool includeSidePart)
        : lines_(lines), includeSidePart_(includeSidePart) {}

    bool atEnd() const { return read_ == lines_.size(); }
    std::size_t lineNumber() const { return read_; }
    std::string_view lineText() const { return lines_[read_ - 1].line; }
    std::string warning() const { return {}; }

    DeckStep next(DeckEntry& entry) { return readNativeLine(lines_[read_++], includeSidePart_, part_, entry); }

private:
    std::span<const SplitDeckLine> lines_;
    std::size_t read_ = 0;
    const bool includeSidePart_;
    DeckPart part_ = DeckPart::Main;
};

namespace native_lines {

// Spaces, tabs and ideographic spaces only (U+3000 in UTF-8 or in code
// page 932), or nothing.
inline bool isBlankLine(std::string_view line) {
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
        } else if (line.substr(i, 3) == "\xE3\x80\x80") {
            i += 3;
        } else if (line.substr(i, 2) == "\x81\x40") {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace native_lines

inline DeckStep readNativeLine(const SplitDeckLine& split, bool includeSidePart, DeckPart& part, DeckEntry& entry) {
    const LineClass lineClass = classifyCountField(split.fields.count);
    if (lineClass.kind == LineKind::SideSeparator) {
        if (!includeSidePart) return DeckStep::EndDeck;
        part = DeckPart::Side;
        return DeckStep::Other;
    }
    if (lineClass.kind != LineKind::Card) {
        return native_lines::isBlankLine(split.line) ? DeckStep::Other : DeckStep::Skipped;
    }
    entry.copies = lineClass.copies;
    entry.cardNumber = split.fields.cardNumber;
    entry.setCardNameField(split.fields.rest);
    entry.part = part;
    return DeckStep::Card;
}

}  // namespace sormel
