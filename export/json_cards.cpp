#include "export/json_cards.h"

#include <nlohmann/json.hpp>

#include "export/json_text.h"
#include "export/trend_json.h"

namespace sormel {

void appendCellJson(std::string& out, ColumnKind kind, const CellValue& value) {
    if (kind == ColumnKind::Text) return appendJsonString(out, textIn(value));
    const std::optional<std::int64_t> number = numberIn(value);
    if (!number) return appendJsonNull(out);
    switch (kind) {
    case ColumnKind::Rate:
    case ColumnKind::Average:
        return appendJsonHundredths(out, *number);
    case ColumnKind::Status: {
        const std::string text = cardStatusText(static_cast<CardStatus>(*number));
        return text.empty() ? appendJsonNull(out) : appendJsonString(out, text);
    }
    case ColumnKind::Count:
    case ColumnKind::Text:
        break;
    }
    appendJsonInteger(out, *number);
}

void appendCardJson(std::string& out, const CardFigures& card, const std::vector<ReportColumn>& columns,
                    const std::vector<PeriodInfo>& periods) {
    out += '{';
    bool first = true;
    const std::string* group = nullptr;  // the group object open, if any
    const auto member = [&](std::string_view key) {
        if (!first) out += ',';
        first = false;
        appendJsonKey(out, key);
    };
    for (const ReportColumn& column : columns) {
        if (!hasFiguresFor(card, column.presence)) continue;
        if (group && *group != column.group) {
            out += '}';
            group = nullptr;
        }
        if (!group && !column.group.empty()) {
            member(column.group);
            out += '{';
            first = true;
            group = &column.group;
        }
        member(column.key);
        appendCellJson(out, column.kind, column.value(card));
    }
    if (group) {
        out += '}';
        first = false;
    }
    if (card.trend) {
        member("trend");
        out += cardTrendJson(*card.trend, periods).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    }
    if (card.results) {
        member("small_sample");
        appendJsonBool(out, card.results->smallSample);
    }
    out += '}';
}

void appendDeckEntryJson(std::string& out, const DeckListEntry& deck) {
    appendJsonKey(out.append("{"), "file");
    appendJsonString(out, deck.file);
    appendJsonKey(out.append(","), "type");
    appendJsonString(out, deck.type);
    appendJsonKey(out.append(","), "how");
    appendJsonString(out, typingWayText(deck.how));
    appendJsonKey(out.append(","), "similarity");
    if (deck.how == TypingWay::Similar) {
        appendJsonDouble(out, shownSimilarity(deck.similarity));
    } else {
        appendJsonNull(out);
    }
    out += '}';
}

}  // namespace sormel
