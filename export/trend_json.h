// The trends of a run over several periods as JSON values, for the JSON
// report: rates as numbers with at most two decimals, an empty value as
// null.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "analysis/trend_figures.h"

namespace sormel {

// Hundredths as a whole number when they allow, else the double nearest to
// the two-decimal value, which prints as that value.
nlohmann::ordered_json hundredthsNumber(std::int64_t hundredths);
nlohmann::ordered_json hundredthsOrNull(const std::optional<std::int64_t>& hundredths);

// [{"name", "decks"}] for each period.
nlohmann::ordered_json periodsJson(const std::vector<PeriodInfo>& periods);

// {"series": [{"period", "decks", "copies", "adoption", "avg_copies",
// "rank"}], "change", "slope", "status"}.
nlohmann::ordered_json cardTrendJson(const CardTrend& trend, const std::vector<PeriodInfo>& periods);

// [{"period", "decks", "share"}] for each period.
nlohmann::ordered_json shareSeriesJson(const TypeTrend& trend, const std::vector<PeriodInfo>& periods);

}  // namespace sormel
