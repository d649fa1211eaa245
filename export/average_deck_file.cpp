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

bool inCp932(const std::string& text) {
    std::string ignored;
    return appendCp932(ignored, text) == 0;
}

// Shift_JIS when it holds every card's number and name, else UTF-8.
CsvEncoding fileEncoding(const AverageDeckFigures& deck, CsvEncoding asked) {
    if (asked != CsvEncoding::Cp932) return asked;
    for (const auto* part : {&deck.main, deck.side ? &*deck.side : nullptr}) {
        if (!part) continue;
        for (const AverageDeckLine& line : *part) {
            if (!inCp932(line.number) || !inCp932(line.name)) return CsvEncoding::Utf8;
        }
    }
    return asked;
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

AverageDeckText formatAverageDeck(const AverageDeckFigures& deck, CsvEncoding asked) {
    const std::vector<AverageDeckLine> noSide;
    const std::vector<AverageDeckLine>& side = deck.side ? *deck.side : noSide;
    const CsvEncoding encoding = fileEncoding(deck, asked);
    std::size_t ownFormatCards = 0, listCards = 0;
    for (const auto* part : {&deck.main, &side}) {
        for (const AverageDeckLine& line : *part) {
            ownFormatCards += fitsOwnFormat(line) ? 1u : 0u;
            listCards += fitsList(line) ? 1u : 0u;
        }
    }
    const bool asList = listCards > ownFormatCards;
    AverageDeckText written;
    written.encoding = encoding;
    std::string& out = written.text;
    if (encoding == CsvEncoding::Utf8Bom) out = "\xEF\xBB\xBF";
    const auto appendLines = [&](const std::vector<AverageDeckLine>& lines) {
        for (const AverageDeckLine& line : lines) {
            if (!(asList ? fitsList(line) : fitsOwnFormat(line))) {
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

std::string utf8FallbackWarning(const std::filesystem::path& file) {
    return displayPath(file) + ": 警告: Shift_JIS で表せない文字があるため、平均デッキを UTF-8 で保存しました。";
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
