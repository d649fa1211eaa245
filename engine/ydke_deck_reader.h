// Reading a deck shared as a `ydke://MAIN!EXTRA!SIDE!` URL: each part is
// base64 of little-endian 32-bit card ids, one copy each; MAIN and EXTRA
// are the main part, SIDE the side part. The URL is the first non-blank
// line; other lines are skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/deck_lines.h"
#include "engine/deck_reader.h"

namespace sormel {

// The bytes base64 (standard alphabet, padded) stands for; nothing for text
// that is not base64.
std::optional<std::string> decodeBase64(std::string_view text);

class YdkeDeckReader final : public DeckReader {
public:
    // Throws DeckFormatError naming the URL's line when it is broken.
    YdkeDeckReader(std::string_view text, bool includeSidePart);

    bool atEnd() const override { return nextCard_ >= cards_.size() && cursor_.atEnd(); }
    DeckStep next(DeckEntry& entry) override;
    std::size_t lineNumber() const override { return lineNumber_; }
    std::string_view lineText() const override { return line_; }

private:
    struct Card {
        std::string id;  // in decimal
        DeckPart part;
    };
    LineCursor cursor_;
    const bool includeSidePart_;
    std::size_t urlLine_ = 0;
    std::vector<Card> cards_;
    std::size_t nextCard_ = 0;
    std::size_t lineNumber_ = 0;
    std::string_view line_;
};

}  // namespace sormel
