// An XML deck whose root element the program does not know: it holds no
// card, and the user is told which root it found.
#pragma once

#include <string>

#include "engine/deck_reader.h"

namespace sormel {

class UnknownXmlReader final : public DeckReader {
public:
    explicit UnknownXmlReader(std::string_view text);

    bool atEnd() const override { return done_; }
    DeckStep next(DeckEntry&) override {
        done_ = true;
        return DeckStep::Warning;
    }
    std::size_t lineNumber() const override { return 0; }
    std::string_view lineText() const override { return {}; }
    std::string warning() const override { return warning_; }

private:
    bool done_ = false;
    std::string warning_;
};

}  // namespace sormel
