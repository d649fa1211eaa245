#include "deck_lines.h"

#include <cstring>

#include "numeric_text.h"

namespace sormel {

bool LineCursor::next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    // The line ends at the next LF or at the first CR before it. The LF
    // found is remembered, so that a text without LFs is searched once.
    if (nextLf_ == kNotSearched || nextLf_ < pos_) {
        const void* lf = std::memchr(text_.data() + pos_, '\n', text_.size() - pos_);
        nextLf_ = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text_.data()) : text_.size();
    }
    const void* cr = std::memchr(text_.data() + pos_, '\r', nextLf_ - pos_);
    const std::size_t end = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - text_.data()) : nextLf_;
    ++lineNumber_;
    line = text_.substr(pos_, end - pos_);
    if (end == text_.size()) {
        pos_ = end;
        return true;
    }
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
