// The per-card report as JSON, keys in the documented order. Rates and
// averages are numbers with at most two decimals, as the table shows them:
// a whole number when the hundredths allow, else the double nearest to the
// two-decimal value, which prints as that value.
#include <nlohmann/json.hpp>

#include "export/report_writer.h"

namespace sormel {
namespace {

using Json = nlohmann::ordered_json;

Json hundredthsNumber(std::int64_t hundredths) {
    if (hundredths % 100 == 0) return hundredths / 100;
    return static_cast<double>(hundredths) / 100;
}

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json splitObject(const std::vector<std::int64_t>& split, int copyLimit) {
    Json object = Json::object();
    for (int copies = 1; copies <= copyLimit; ++copies) {
        object[std::to_string(copies)] = split[static_cast<std::size_t>(copies - 1)];
    }
    object["over"] = split[static_cast<std::size_t>(copyLimit)];
    object["other"] = split[static_cast<std::size_t>(copyLimit) + 1];
    return object;
}

Json cardObject(const CardFigures& card, int copyLimit) {
    Json object = Json::object();
    object["number"] = card.number;
    object["name"] = card.name;
    object["decks"] = card.decks;
    object["copies"] = card.copies;
    object["adoption"] = hundredthsNumber(card.adoption);
    object["usage"] = hundredthsNumber(card.usage);
    object["avg_copies"] = card.avgCopies ? hundredthsNumber(*card.avgCopies) : Json(nullptr);
    object["main_decks"] = card.mainDecks;
    object["main_copies"] = card.mainCopies;
    object["side_decks"] = orNull(card.sideDecks);
    object["side_copies"] = orNull(card.sideCopies);
    object["split"] = splitObject(card.split, copyLimit);
    if (card.change) {
        const CardChange& change = *card.change;
        object["adoption_before"] = hundredthsNumber(change.adoptionBefore);
        object["adoption_change"] = hundredthsNumber(change.adoptionChange);
        object["avg_copies_before"] = change.avgCopiesBefore ? hundredthsNumber(*change.avgCopiesBefore) : Json(nullptr);
        object["avg_copies_change"] = change.avgCopiesChange ? hundredthsNumber(*change.avgCopiesChange) : Json(nullptr);
        object["rank"] = orNull(change.rank);
        object["rank_before"] = orNull(change.rankBefore);
        object["status"] = change.status == CardStatus::New       ? Json("新規")
                           : change.status == CardStatus::Dropped ? Json("消滅")
                                                                  : Json(nullptr);
    }
    return object;
}

Json cardsArray(const CardReport& report) {
    Json cards = Json::array();
    for (const CardFigures& card : report.cards) cards.push_back(cardObject(card, report.copyLimit));
    return cards;
}

Json deckLines(const std::vector<AverageDeckLine>& lines) {
    Json array = Json::array();
    for (const AverageDeckLine& line : lines) {
        Json object = Json::object();
        object["number"] = line.number;
        object["name"] = line.name;
        object["copies"] = line.copies;
        array.push_back(std::move(object));
    }
    return array;
}

Json averageDeckObject(const AverageDeckFigures& deck) {
    Json object = Json::object();
    object["main"] = deckLines(deck.main);
    object["side"] = deck.side ? deckLines(*deck.side) : Json(nullptr);
    return object;
}

}  // namespace

std::string formatReportJson(const ReportData& data) {
    const CardReport& report = data.report;
    Json root = Json::object();
    root["decks"] = report.deckCount;
    root["copy_limit"] = report.copyLimit;
    root["side_counted"] = report.sideCounted;
    root["sort"] = data.sort == SortChoice::ByCopies ? "copies" : "decks";
    root["files"] = data.files;
    root["cards"] = cardsArray(report);
    if (data.baseline) {
        Json baseline = Json::object();
        baseline["decks"] = data.baseline->decks;
        baseline["folder"] = data.baseline->folder;
        root["baseline"] = std::move(baseline);
    }
    if (data.byFolder) {
        Json types = Json::array();
        for (const TypeReport& type : data.types) {
            Json object = Json::object();
            object["name"] = type.name;
            object["decks"] = type.decks;
            object["share"] = hundredthsNumber(type.share);
            object["cards"] = cardsArray(type.report);
            if (type.report.averageDeck) object["average_deck"] = averageDeckObject(*type.report.averageDeck);
            types.push_back(std::move(object));
        }
        root["types"] = std::move(types);
    }
    if (report.averageDeck) root["average_deck"] = averageDeckObject(*report.averageDeck);
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace sormel
