// What a list line's NAME may carry after the card's own name: printing
// marks (` (M10) 146`, ` SIT 138`, `|M10|1`, ` *F*`), which only the card
// name leaves out, and a deck site's tags (` [Ramp,Draw]`, ` ^Have^`), which
// neither keeps and which may move the card to another part.
#pragma once

#include <string_view>

namespace sormel {

enum class TaggedPart {
    Unchanged,   // the line counts in the part it is in
    Side,        // a tag `Sideboard`
    NotCounted,  // a tag `Maybeboard` or `{noDeck}`
};

struct ListName {
    std::string_view cardNumber;  // NAME without its tags
    std::string_view cardName;    // and without its printing marks
    TaggedPart part = TaggedPart::Unchanged;
};

// Splits a list line's NAME (trimmed, not empty). Every trailing mark and
// tag goes, in any order, as long as a name is left before them.
ListName splitListName(std::string_view name);

// NAME without the printing marks at its end (NAME holds no tags):
// ` (SET) NUMBER` (SET: 2 to 5 letters or digits of either case; NUMBER:
// letters, digits, `-` and ★), ` SET NUMBER` (SET: upper-case letters or
// digits; NUMBER: digits and perhaps one letter after them), `|SET` and
// `|SET|N`, and ` *WORD*` (ASCII letters and digits).
std::string_view withoutPrintingMark(std::string_view name);

}  // namespace sormel
