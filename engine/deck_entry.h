// What a deck reader yields: one step per line of a deck file, and for a
// card line the entry it holds (copies, card number, card name, part).
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sormel {

enum class DeckPart { Main, Side };

enum class DeckStep {
    Card,     // the entry holds a card line
    Other,    // a line that counts nothing by design: a separator, a section, a blank line
    Skipped,  // a line that is none of those: a header, a comment, a line not understood
    EndDeck,  // nothing more of this deck is read
    Warning,  // a line that counts nothing and that the user must hear of
    SideLeftOut,  // a card entry of the side part, which the run leaves out
};

// A deck file that cannot be read as its format says; the run names the
// file with it.
class DeckFormatError : public std::runtime_error {
public:
    DeckFormatError(const std::string& message, std::size_t line) : std::runtime_error(message), line_(line) {}
    std::size_t line() const { return line_; }

private:
    std::size_t line_;
};

struct DeckEntry {
    double copies = 0;
    // Texts in the reader's encoding (raw code page 932 or UTF-8).
    std::string_view cardNumber;
    DeckPart part = DeckPart::Main;

    // The card name; it is only needed for a card seen for the first
    // time, so a reader may leave it to be cut here.
    std::string_view cardName() const { return nameUncut_ ? nameField_.substr(0, nameField_.find(',')) : nameField_; }
    void setCardName(std::string_view name) {
        nameField_ = name;
        nameUncut_ = false;
    }
    // The name is what comes before the first "," of `field`.
    void setCardNameField(std::string_view field) {
        nameField_ = field;
        nameUncut_ = true;
    }

private:
    std::string_view nameField_;
    bool nameUncut_ = false;
};

}  // namespace sormel
