// What XmlDeckParser keeps while it reads one document: shared by the tree
// walk and the single pass over plain documents.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/xml_deck_parser.h"
#include "engine/xml_references.h"

namespace sormel {

struct XmlDeckParser::State {
    std::string_view text;      // the document as it came (leading blanks skipped), for its lines
    const char* base;           // the start of the copy parsed in place
    std::size_t skippedLines;   // blank lines before the document
    std::size_t offset = 0;     // of the element (or text) being handed out
    std::size_t countedTo = 0;  // text[0, countedTo) holds `lineEnds` line ends
    std::size_t lineEnds = 0;
    std::string error;  // the first problem found
    std::size_t errorLine = 0;
    std::vector<XmlAttribute> attributes;
    std::size_t knownLine = 0;  // the line of `offset` when the single pass counted it, else 0

    std::size_t line() { return knownLine != 0 ? knownLine : lineAt(offset); }
    std::size_t lineAt(std::size_t at) {
        at = std::min(at, text.size());
        if (at < countedTo) countedTo = lineEnds = 0;
        lineEnds += countLineEnds(text, countedTo, at);
        countedTo = at;
        return skippedLines + lineEnds + 1;
    }
    std::size_t offsetOf(const char* p) const { return static_cast<std::size_t>(p - base); }
};

}  // namespace sormel
