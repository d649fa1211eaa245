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
    Json cards = Json::array();
    for (const CardFigures& card : report.cards) cards.push_back(cardObject(card, report.copyLimit));
    root["cards"] = std::move(cards);
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace sormel
