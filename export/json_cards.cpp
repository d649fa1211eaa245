#include "export/json_cards.h"

#include <utility>

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
    CardJsonWriter(columns).append(out, card, periods);
}

CardJsonWriter::CardJsonWriter(std::vector<ReportColumn> columns) : columns_(std::move(columns)) {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const ReportColumn& column = columns_[i];
        appendJsonKey(keys_.emplace_back(), column.key);
        std::string& group = groupKeys_.emplace_back();
        if (!column.group.empty()) appendJsonKey(group, column.group);
        // A group is known by the first column that names it.
        std::size_t first = 0;
        while (columns_[first].group != column.group) ++first;
        groups_.push_back(column.group.empty() ? kNoGroup : first);
    }
}

void CardJsonWriter::append(std::string& out, const CardFigures& card, const std::vector<PeriodInfo>& periods) const {
    out += '{';
    bool first = true;
    std::size_t group = kNoGroup;  // the group object open, if any
    const auto member = [&](const std::string& key) {
        if (!first) out += ',';
        first = false;
        out += key;
    };
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const ReportColumn& column = columns_[i];
        if (!hasFiguresFor(card, column.presence)) continue;
        if (group != kNoGroup && group != groups_[i]) {
            out += '}';
            group = kNoGroup;
        }
        if (group == kNoGroup && groups_[i] != kNoGroup) {
            member(groupKeys_[i]);
            out += '{';
            first = true;
            group = groups_[i];
        }
        member(keys_[i]);
        appendCellJson(out, column.kind, column.value(card));
    }
    if (group != kNoGroup) {
        out += '}';
        first = false;
    }
    if (card.trend) {
        if (!first) out += ',';
        first = false;
        appendJsonKey(out, "trend");
        out += cardTrendJson(*card.trend, periods).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    }
    if (card.results) {
        if (!first) out += ',';
        appendJsonKey(out, "small_sample");
        appendJsonBool(out, card.results->smallSample);
    }
    out += '}';
}

void appendDeckEntryJson(std::string& out, const DeckListEntry& deck) {
    // The keys and the way of typing are plain ASCII: written as they are.
    out += "{\"file\":";
    appendJsonString(out, deck.file);
    out += ",\"type\":";
    appendJsonString(out, deck.type);
    out += ",\"how\":\"";
    out += typingWayText(deck.how);
    out += "\",\"similarity\":";
    if (deck.how == TypingWay::Similar) {
        appendJsonDouble(out, shownSimilarity(deck.similarity));
    } else {
        appendJsonNull(out);
    }
    out += '}';
}

}  // namespace sormel
