#include "deck_lines.h"

#include "numeric_text.h"

namespace sormel {

bool LineCursor::next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t end = text_.find_first_of("\r\n", pos_);
    ++lineNumber_;
    if (end == std::string_view::npos) {
        line = text_.substr(pos_);
        pos_ = text_.size();
        return true;
    }
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return true;
}

DeckFields splitDeckLine(std::string_view line) {
    DeckFields fields;
    std::string_view* slots[] = {&fields.count, &fields.cardNumber, &fields.cardName};
    std::size_t start = 0;
    for (std::string_view* slot : slots) {
        const std::size_t comma = line.find(',', start);
        *slot = line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

LineClass classifyCountField(std::string_view count) {
    if (count == "--") return {LineKind::SideSeparator, 0};
    const double copies = parseLeadingNumber(count);
    if (copies == 0) return {LineKind::Ignored, 0};
    return {LineKind::Card, copies};
}

}  // namespace sormel
