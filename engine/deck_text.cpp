#include "engine/deck_text.h"

#include "engine/cod_deck_reader.h"
#include "engine/csv_deck_reader.h"
#include "engine/dek_deck_reader.h"
#include "engine/list_deck_reader.h"
#include "engine/o8d_deck_reader.h"
#include "engine/unknown_xml_reader.h"
#include "engine/ydk_deck_reader.h"
#include "engine/ydke_deck_reader.h"

namespace sormel {

std::unique_ptr<DeckReader> makeDeckReader(DeckFormat format, std::string_view text, bool includeSidePart) {
    switch (format) {
        case DeckFormat::Dek: return std::make_unique<DekDeckReader>(text, includeSidePart);
        case DeckFormat::Ydk: return std::make_unique<YdkDeckReader>(text, includeSidePart);
        // Told to read .cod or .o8d, a file of another kind holds no card.
        case DeckFormat::Cod:
            if (xmlDeckFormat(text) != DeckFormat::Cod) return std::make_unique<NoCardReader>();
            return std::make_unique<CodDeckReader>(text, includeSidePart);
        case DeckFormat::O8d:
            if (xmlDeckFormat(text) != DeckFormat::O8d) return std::make_unique<NoCardReader>();
            return std::make_unique<O8dDeckReader>(text, includeSidePart);
        case DeckFormat::Ydke: return std::make_unique<YdkeDeckReader>(text, includeSidePart);
        case DeckFormat::Csv: return std::make_unique<CsvDeckReader>(text, includeSidePart);
        case DeckFormat::Xml: return std::make_unique<UnknownXmlReader>(text);
        default: return std::make_unique<ListDeckReader>(text, includeSidePart);
    }
}

void prepareDeck(DeckText& text, const DeckTextOptions& options) {
    text.reader.reset();
    text.encoding = prepareDeckText(text.bytes);
    text.format = options.format == DeckFormat::Auto ? detectDeckFormat(text.bytes, text.encoding) : options.format;
    // The program's own format is read on the raw bytes.
    if (text.format == DeckFormat::Native) return;
    if (text.encoding == DeckEncoding::Cp932) {
        text.bytes = decodeCp932(text.bytes);
        text.encoding = DeckEncoding::Utf8;
    }
    // These readers parse the whole document at once and keep its cards
    // apart from the text: worth doing ahead of the run.
    if (text.format == DeckFormat::Dek || text.format == DeckFormat::Cod || text.format == DeckFormat::O8d) {
        text.reader = makeDeckReader(text.format, text.bytes, options.includeSidePart);
    }
}

}  // namespace sormel
