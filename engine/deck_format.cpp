#include "engine/deck_format.h"

#include <string>

#include "engine/csv_deck_reader.h"
#include "engine/deck_lines.h"
#include "engine/list_syntax.h"
#include "engine/numeric_text.h"
#include "engine/ydk_deck_reader.h"

namespace sormel {
namespace {

constexpr std::string_view kMai = "\xE6\x9E\x9A";  // 枚

std::string_view afterLeadingBlanks(std::string_view text) {
    std::size_t i = 0;
    for (;;) {
        if (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
            ++i;
        } else if (text.substr(i).starts_with("\xE3\x80\x80")) {
            i += 3;
        } else {
            break;
        }
    }
    return text.substr(i);
}

bool startsLikeXml(std::string_view start) {
    return start.starts_with("<?xml") || start.starts_with("<Deck") || start.starts_with("<cockatrice_deck") ||
           start.starts_with("<deck");
}

}  // namespace

std::string_view xmlRootElement(std::string_view text) {
    for (;;) {
        const std::size_t open = text.find('<');
        if (open == std::string_view::npos) return {};
        text.remove_prefix(open);
        std::string_view close = ">";
        if (text.starts_with("<?")) {
            close = "?>";
        } else if (text.starts_with("<!--")) {
            close = "-->";
        } else if (!text.starts_with("<!")) {
            text.remove_prefix(1);
            std::size_t end = 0;
            while (end < text.size() && std::string_view(" \t\r\n/>").find(text[end]) == std::string_view::npos) ++end;
            return text.substr(0, end);
        }
        const std::size_t end = text.find(close);
        if (end == std::string_view::npos) return {};
        text.remove_prefix(end + close.size());
    }
}

namespace {

DeckFormat xmlFormat(std::string_view text) {
    const std::string_view root = xmlRootElement(text);
    if (root.empty() || root == "Deck") return DeckFormat::Dek;
    if (root == "cockatrice_deck") return DeckFormat::Cod;
    if (root == "deck") return DeckFormat::O8d;
    return DeckFormat::Xml;
}

// The first line that is not blank, trimmed.
std::string_view firstNonBlankLine(std::string_view text) {
    LineCursor cursor(text);
    std::string_view line;
    while (cursor.next(line)) {
        line = trimBlanks(line);
        if (!line.empty()) return line;
    }
    return {};
}

}  // namespace

DeckFormat xmlDeckFormat(std::string_view text) {
    const std::string_view start = afterLeadingBlanks(text);
    return startsLikeXml(start) ? xmlFormat(start) : DeckFormat::Native;
}

std::optional<DeckFormat> deckFormatNamed(std::string_view name) {
    if (name == "auto") return DeckFormat::Auto;
    if (name == "native") return DeckFormat::Native;
    if (name == "list") return DeckFormat::List;
    if (name == "dek") return DeckFormat::Dek;
    if (name == "ydk") return DeckFormat::Ydk;
    if (name == "cod") return DeckFormat::Cod;
    if (name == "o8d") return DeckFormat::O8d;
    if (name == "ydke") return DeckFormat::Ydke;
    if (name == "csv") return DeckFormat::Csv;
    return std::nullopt;
}

std::string_view deckFormatName(DeckFormat format) {
    switch (format) {
        case DeckFormat::Auto: return "auto";
        case DeckFormat::Native: return "native";
        case DeckFormat::List: return "list";
        case DeckFormat::Dek: return "dek";
        case DeckFormat::Ydk: return "ydk";
        case DeckFormat::Cod: return "cod";
        case DeckFormat::O8d: return "o8d";
        case DeckFormat::Ydke: return "ydke";
        case DeckFormat::Csv: return "csv";
        case DeckFormat::Xml: return "xml";
    }
    return {};
}

bool isNativeLine(std::string_view line) {
    const std::size_t comma = line.find(',');
    const std::string_view count = line.substr(0, comma);
    if (count == "--") return true;
    if (comma == std::string_view::npos) return false;
    std::size_t consumed = 0;
    if (parseLeadingNumber(count, consumed) == 0) return false;
    std::string_view rest = count.substr(consumed);
    for (;;) {
        rest = trimBlanks(rest);
        if (!rest.starts_with(kMai)) break;
        rest.remove_prefix(kMai.size());
    }
    return rest.empty();
}

DeckFormat detectDeckFormat(std::string_view text, DeckEncoding encoding) {
    if (const DeckFormat xml = xmlDeckFormat(text); xml != DeckFormat::Native) return xml;
    if (firstNonBlankLine(text).starts_with("ydke://")) return DeckFormat::Ydke;
    if (startsWithCsvDeckHeader(text)) return DeckFormat::Csv;
    LineCursor cursor(text);
    std::string_view line;
    std::string decoded;
    bool ydk = false;
    bool list = false;
    while (cursor.next(line)) {
        if (encoding == DeckEncoding::Cp932 && !isAscii(line)) {
            // Only the count field before the first comma tells a line of
            // the program's own format, and no byte of a double-byte
            // character is a comma: a count field of plain ASCII reads the
            // same undecoded, which spares decoding the first line of
            // nearly every deck.
            if (isAscii(line.substr(0, line.find(','))) && isNativeLine(line)) return DeckFormat::Native;
            decoded = decodeCp932(line);
            line = decoded;
        }
        if (isNativeLine(line)) return DeckFormat::Native;
        if (ydk) continue;
        const std::string_view trimmed = trimBlanks(line);
        if (YdkDeckReader::isSectionLine(trimmed)) {
            ydk = true;
        } else if (!list) {
            const std::optional<std::string_view> afterMark = afterSideboardMark(trimmed);
            list = parseListCardLine(afterMark ? *afterMark : trimmed).has_value() ||
                   (afterMark && parseListCardLine(trimmed).has_value());
        }
    }
    if (ydk) return DeckFormat::Ydk;
    return list ? DeckFormat::List : DeckFormat::Native;
}

}  // namespace sormel
