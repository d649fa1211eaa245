// The readers of deck-list formats other than the program's own, behind
// one interface: the run asks for one line (or one element) at a time, so
// that it can let the window breathe and see a cancel between any two.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "engine/deck_entry.h"

namespace sormel {

class DeckReader {
public:
    virtual ~DeckReader() = default;
    virtual bool atEnd() const = 0;
    // Reads the next line; call only while !atEnd(). Throws CardError or
    // DeckFormatError for a count or a file that cannot be read.
    virtual DeckStep next(DeckEntry& entry) = 0;
    // 1-based number of the line `next` read last.
    virtual std::size_t lineNumber() const = 0;
    // The text of that line, for the list of skipped lines.
    virtual std::string_view lineText() const = 0;
    // What the line `next` read last warns of, when it gave Warning.
    virtual std::string warning() const { return {}; }
};

// A file that is not in the format the run was told to read it in: it holds
// no card entry, which the run warns of.
class NoCardReader final : public DeckReader {
public:
    bool atEnd() const override { return true; }
    DeckStep next(DeckEntry&) override { return DeckStep::Other; }
    std::size_t lineNumber() const override { return 0; }
    std::string_view lineText() const override { return {}; }
};

}  // namespace sormel
