#include "engine/ydke_deck_reader.h"

#include "engine/list_syntax.h"

namespace sormel {
namespace {

constexpr std::string_view kScheme = "ydke://";

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::optional<std::string> decodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        std::uint32_t group = 0;
        int padding = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const char c = text[i + k];
            // `=` only at the end: the last one or two characters.
            if (c == '=' && last && k >= 2 && (k == 3 || text[i + 3] == '=')) {
                ++padding;
                group <<= 6;
                continue;
            }
            const int value = base64Value(c);
            if (value < 0 || padding > 0) return std::nullopt;
            group = (group << 6) | static_cast<std::uint32_t>(value);
        }
        bytes += static_cast<char>(group >> 16);
        if (padding < 2) bytes += static_cast<char>((group >> 8) & 0xFF);
        if (padding < 1) bytes += static_cast<char>(group & 0xFF);
    }
    return bytes;
}

YdkeDeckReader::YdkeDeckReader(std::string_view text, bool includeSidePart)
    : cursor_(text), includeSidePart_(includeSidePart) {
    LineCursor scan(text);
    std::string_view line;
    while (scan.next(line)) {
        const std::string_view url = trimBlanks(line);
        if (url.empty()) continue;
        if (!url.starts_with(kScheme)) return;
        urlLine_ = scan.lineNumber();
        std::string_view rest = url.substr(kScheme.size());
        for (const DeckPart part : {DeckPart::Main, DeckPart::Main, DeckPart::Side}) {
            const std::size_t bang = rest.find('!');
            if (bang == std::string_view::npos) {
                throw DeckFormatError("ydke:// の URL に ! が 3 つありません。", urlLine_);
            }
            const std::optional<std::string> bytes = decodeBase64(rest.substr(0, bang));
            if (!bytes || bytes->size() % 4 != 0) {
                throw DeckFormatError("ydke:// の URL のカード ID が読めません（base64 ではないか、4 バイト単位でありません）。",
                                      urlLine_);
            }
            for (std::size_t i = 0; i < bytes->size(); i += 4) {
                std::uint32_t id = 0;
                for (std::size_t k = 0; k < 4; ++k) id |= std::uint32_t{static_cast<unsigned char>((*bytes)[i + k])} << (8 * k);
                cards_.push_back({std::to_string(id), part});
            }
            rest.remove_prefix(bang + 1);
        }
        if (!rest.empty()) throw DeckFormatError("ydke:// の URL の最後の ! の後に文字があります。", urlLine_);
        return;
    }
}

DeckStep YdkeDeckReader::next(DeckEntry& entry) {
    if (lineNumber_ == urlLine_ && nextCard_ < cards_.size()) {
        const Card& card = cards_[nextCard_++];
        if (card.part == DeckPart::Side && !includeSidePart_) return DeckStep::SideLeftOut;
        entry.copies = 1;
        entry.cardNumber = card.id;
        entry.setCardName(card.id);
        entry.part = card.part;
        return DeckStep::Card;
    }
    cursor_.next(line_);
    lineNumber_ = cursor_.lineNumber();
    if (lineNumber_ == urlLine_) return cards_.empty() ? DeckStep::Other : next(entry);
    return trimBlanks(line_).empty() ? DeckStep::Other : DeckStep::Skipped;
}

}  // namespace sormel
