#include "export/trend_json.h"

#include <string>

#include "export/report_columns.h"

namespace sormel {

using Json = nlohmann::ordered_json;

Json hundredthsNumber(std::int64_t hundredths) {
    if (hundredths % 100 == 0) return hundredths / 100;
    return static_cast<double>(hundredths) / 100;
}

Json hundredthsOrNull(const std::optional<std::int64_t>& hundredths) {
    return hundredths ? hundredthsNumber(*hundredths) : Json(nullptr);
}

Json periodsJson(const std::vector<PeriodInfo>& periods) {
    Json array = Json::array();
    for (const PeriodInfo& period : periods) array.push_back(Json{{"name", period.name}, {"decks", period.decks}});
    return array;
}

Json cardTrendJson(const CardTrend& trend, const std::vector<PeriodInfo>& periods) {
    Json series = Json::array();
    for (std::size_t i = 0; i < trend.series.size() && i < periods.size(); ++i) {
        const PeriodCard& card = trend.series[i];
        Json entry = Json::object();
        entry["period"] = periods[i].name;
        entry["decks"] = card.decks;
        entry["copies"] = card.copies;
        entry["adoption"] = hundredthsOrNull(card.adoption);
        entry["avg_copies"] = hundredthsOrNull(card.avgCopies);
        entry["rank"] = card.rank ? Json(*card.rank) : Json(nullptr);
        series.push_back(std::move(entry));
    }
    Json object = Json::object();
    object["series"] = std::move(series);
    object["change"] = hundredthsOrNull(trend.change);
    object["slope"] = hundredthsOrNull(trend.slope);
    const std::string status = cardStatusText(trend.status);
    object["status"] = status.empty() ? Json(nullptr) : Json(status);
    return object;
}

Json shareSeriesJson(const TypeTrend& trend, const std::vector<PeriodInfo>& periods) {
    Json series = Json::array();
    for (std::size_t i = 0; i < trend.series.size() && i < periods.size(); ++i) {
        Json entry = Json::object();
        entry["period"] = periods[i].name;
        entry["decks"] = trend.series[i].decks;
        entry["share"] = hundredthsOrNull(trend.series[i].share);
        series.push_back(std::move(entry));
    }
    return series;
}

}  // namespace sormel
