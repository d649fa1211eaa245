#include "export/average_deck_file.h"

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

bool anyNumberHoldsAComma(const std::vector<AverageDeckLine>& lines) {
    for (const AverageDeckLine& line : lines) {
        if (line.number.find(',') != std::string::npos) return true;
    }
    return false;
}

}  // namespace

std::string formatAverageDeck(const AverageDeckFigures& deck, CsvEncoding encoding) {
    const std::vector<AverageDeckLine> noSide;
    const std::vector<AverageDeckLine>& side = deck.side ? *deck.side : noSide;
    const bool asList = anyNumberHoldsAComma(deck.main) || anyNumberHoldsAComma(side);
    std::string out = encoding == CsvEncoding::Utf8Bom ? "\xEF\xBB\xBF" : "";
    const auto appendLines = [&](const std::vector<AverageDeckLine>& lines) {
        for (const AverageDeckLine& line : lines) {
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
        out += asList ? "Sideboard\r\n" : "--\r\n";
        appendLines(side);
    }
    return out;
}

}  // namespace sormel
