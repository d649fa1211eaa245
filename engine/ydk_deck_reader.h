// Reading a YDK deck: `#main` and `#extra` begin the main part, `!side`
// the side part, and every line that is a card id (digits) is one copy of
// that card; other `#` lines are comments.
#pragma once

#include "engine/deck_lines.h"
#include "engine/deck_reader.h"

namespace sormel {

class YdkDeckReader final : public DeckReader {
public:
    YdkDeckReader(std::string_view text, bool includeSidePart) : cursor_(text), includeSidePart_(includeSidePart) {}

    bool atEnd() const override { return cursor_.atEnd(); }
    DeckStep next(DeckEntry& entry) override;
    std::size_t lineNumber() const override { return cursor_.lineNumber(); }
    std::string_view lineText() const override { return line_; }

    // Whether `trimmed` is one of the section lines.
    static bool isSectionLine(std::string_view trimmed) {
        return trimmed == "#main" || trimmed == "#extra" || trimmed == "!side";
    }

private:
    LineCursor cursor_;
    const bool includeSidePart_;
    DeckPart part_ = DeckPart::Main;
    std::string_view line_;
};

}  // namespace sormel
