#include "export/average_deck_file.h"

#include <cstdio>

#include "engine/deck_format.h"
#include "engine/file_error.h"
#include "engine/list_marks.h"
#include "engine/list_syntax.h"
#include "engine/text_decoding.h"

namespace sormel {
namespace {

void appendText(std::string& out, const std::string& utf8, CsvEncoding encoding) {
    if (encoding == CsvEncoding::Cp932) {
        appendCp932(out, utf8);
    } else {
        out.append(utf8);
    }
}

bool holdsLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// Whether the file's character set holds the card number unchanged.
bool encodable(const std::string& number, CsvEncoding encoding) {
    std::string ignored;
    return encoding != CsvEncoding::Cp932 || appendCp932(ignored, number) == 0;
}

// Fields are cut at every ",", so the number must not hold one; the name
// may (it is only cut short).
bool fitsOwnFormat(const AverageDeckLine& line) {
    return !holdsLineBreak(line.number) && !holdsLineBreak(line.name) && line.number.find(',') == std::string::npos;
}

std::string listLine(const AverageDeckLine& line) { return std::to_string(line.copies) + ' ' + line.number; }

// The line must read as this count and number, and must not make the file
// look like one of the program's own format (`2 1,2` would be 21 copies of
// card "2").
bool fitsList(const AverageDeckLine& line) {
    if (holdsLineBreak(line.number)) return false;
    const std::string text = listLine(line);
    if (isNativeLine(text)) return false;
    const std::optional<ListCardLine> card = parseListCardLine(trimBlanks(text));
    // Tags (` [Ramp]`) would leave the number when the file is read.
    return card && !card->count.tooLarge && card->count.value == static_cast<std::uint64_t>(line.copies) &&
           card->name == line.number && splitListName(card->name).cardNumber == card->name;
}

}  // namespace

AverageDeckText formatAverageDeck(const AverageDeckFigures& deck, CsvEncoding encoding) {
    const std::vector<AverageDeckLine> noSide;
    const std::vector<AverageDeckLine>& side = deck.side ? *deck.side : noSide;
    std::size_t ownFormatCards = 0, listCards = 0;
    for (const auto* part : {&deck.main, &side}) {
        for (const AverageDeckLine& line : *part) {
            if (!encodable(line.number, encoding)) continue;
            ownFormatCards += fitsOwnFormat(line) ? 1u : 0u;
            listCards += fitsList(line) ? 1u : 0u;
        }
    }
    const bool asList = listCards > ownFormatCards;
    AverageDeckText written;
    std::string& out = written.text;
    if (encoding == CsvEncoding::Utf8Bom) out = "\xEF\xBB\xBF";
    const auto appendLines = [&](const std::vector<AverageDeckLine>& lines) {
        for (const AverageDeckLine& line : lines) {
            if (!encodable(line.number, encoding) || !(asList ? fitsList(line) : fitsOwnFormat(line))) {
                written.leftOut.push_back(line.number);
                continue;
            }
            out += std::to_string(line.copies);
            if (asList) {
                out += ' ';
                appendText(out, line.number, encoding);
            } else {
                out += ',';
                appendText(out, line.number, encoding);
                out += ',';
                appendText(out, line.name, encoding);
            }
            out += "\r\n";
        }
    };
    appendLines(deck.main);
    if (!side.empty()) {
        const std::size_t before = out.size();
        out += asList ? "Sideboard\r\n" : "--\r\n";
        const std::size_t marked = out.size();
        appendLines(side);
        if (out.size() == marked) out.resize(before);  // every side card left out: no side part
    }
    return written;
}

std::string leftOutCardWarning(const std::filesystem::path& file, const std::string& cardNumber) {
    std::string shown;
    for (const char c : toValidUtf8(cardNumber)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            shown += escape;
        } else {
            shown.push_back(c);
        }
    }
    return displayPath(file) + ": 警告: 読み戻すと同じカードにならないため、平均デッキから省きました。カード番号: " +
           (cardNumber.empty() ? "(空欄)" : shown);
}

}  // namespace sormel
