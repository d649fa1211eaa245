// Reading a deck in the program's own format, one line at a time:
//
//   count,card number,card name
//
// A line whose count field is exactly "--" begins the side part; a count
// that reads as 0 makes the line count nothing. Lines and fields are cut on
// the raw bytes, so code-page-932 text needs no decoding to be read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/deck_entry.h"
#include "engine/deck_lines.h"

namespace sormel {

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
        const DeckFields fields = splitDeckLine(line_);
        const LineClass lineClass = classifyCountField(fields.count);
        if (lineClass.kind == LineKind::SideSeparator) {
            if (!includeSidePart_) return DeckStep::EndDeck;
            part_ = DeckPart::Side;
            return DeckStep::Other;
        }
        if (lineClass.kind != LineKind::Card) return isBlankLine(line_) ? DeckStep::Other : DeckStep::Skipped;
        entry.copies = lineClass.copies;
        entry.cardNumber = fields.cardNumber;
        entry.setCardNameField(fields.rest);
        entry.part = part_;
        return DeckStep::Card;
    }

private:
    LineCursor cursor_;
    const bool includeSidePart_;
    DeckPart part_ = DeckPart::Main;
    std::string_view line_;

    // Spaces, tabs and ideographic spaces only (U+3000 in UTF-8 or in code
    // page 932), or nothing.
    static bool isBlankLine(std::string_view line) {
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
};

}  // namespace sormel
