// Reading a plain-text deck list (UTF-8): card lines with their counts,
// section headings that switch between main, side and parts not counted
// (a maybe-board), `SB:` lines, and, in a list without either, a blank
// line after the first cards that begins the side part.
#pragma once

#include <string>

#include "engine/deck_lines.h"
#include "engine/deck_reader.h"

namespace sormel {

class ListDeckReader final : public DeckReader {
public:
    // `includeSidePart` false leaves the side entries out; a list may come
    // back to its main part after them.
    ListDeckReader(std::string_view text, bool includeSidePart);

    bool atEnd() const override { return cursor_.atEnd(); }
    DeckStep next(DeckEntry& entry) override;
    std::size_t lineNumber() const override { return cursor_.lineNumber(); }
    std::string_view lineText() const override { return line_; }
    std::string warning() const override { return warning_; }

private:
    LineCursor cursor_;
    const bool includeSidePart_;
    bool blankLineStartsSide_ = true;  // no section headings and no SB: lines
    bool cardSeen_ = false;
    DeckPart part_ = DeckPart::Main;
    bool counted_ = true;  // false in a part whose lines count nothing
    std::string_view line_;
    std::string warning_;
};

}  // namespace sormel
