#include "analysis/result_figures.h"

#include <algorithm>
#include <cmath>

#include "engine/numeric_text.h"

namespace sormel {
namespace {

// The normal quantile of a two-sided 95 % interval.
constexpr double kZ = 1.959964;

}  // namespace

ResultSums ResultSums::without(const ResultSums& part) const {
    ResultSums rest;
    rest.decks = decks - part.decks;
    rest.wins = wins - part.wins;
    rest.losses = losses - part.losses;
    rest.draws = draws - part.draws;
    rest.placed = placed - part.placed;
    rest.top = top - part.top;
    return rest;
}

ResultSums deckSums(const DeckResult& result, std::int64_t top) {
    ResultSums sums;
    sums.decks = 1;
    sums.wins = result.wins;
    sums.losses = result.losses;
    sums.draws = result.draws;
    sums.placed = result.place ? 1 : 0;
    sums.top = result.place && *result.place <= top ? 1 : 0;
    return sums;
}

std::optional<WinRate> winRateOf(const ResultSums& sums) {
    const std::int64_t games = sums.wins + sums.losses + sums.draws;
    if (games <= 0) return std::nullopt;
    // Half a point a draw: twice the points over twice the games keeps the
    // fraction whole.
    const auto points2 = static_cast<double>(2 * sums.wins + sums.draws);
    const auto games2 = static_cast<double>(2 * games);
    const auto n = static_cast<double>(games);
    const double p = points2 / games2;
    const double z2 = kZ * kZ;
    const double centre = p + z2 / (2 * n);
    const double margin = kZ * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n));
    const double scale = 1 + z2 / n;
    // The bounds lie in [0, 1]; rounding noise at either end is cut off.
    const double low = std::clamp((centre - margin) / scale, 0.0, 1.0);
    const double high = std::clamp((centre + margin) / scale, 0.0, 1.0);
    return WinRate{percentInHundredths(points2, games2), roundToHundredths(low * 100), roundToHundredths(high * 100)};
}

ResultFigures resultFigures(const ResultSums& holding, const ResultSums& all, std::int64_t minDecks) {
    ResultFigures figures;
    figures.resultDecks = holding.decks;
    if (const std::optional<WinRate> rate = winRateOf(holding)) {
        figures.winRate = rate->rate;
        figures.winRateLow = rate->low;
        figures.winRateHigh = rate->high;
    }
    if (const std::optional<WinRate> rate = winRateOf(all.without(holding))) figures.winRateWithout = rate->rate;
    figures.topDecks = holding.top;
    if (all.top > 0) {
        figures.topAdoption = percentInHundredths(static_cast<double>(holding.top), static_cast<double>(all.top));
        // (top ÷ all top) ÷ (placed ÷ all placed), as one fraction.
        if (holding.placed > 0) {
            figures.conversion = roundToHundredths(static_cast<double>(holding.top * all.placed) /
                                                   static_cast<double>(all.top * holding.placed));
        }
    }
    figures.smallSample = holding.decks < minDecks;
    return figures;
}

}  // namespace sormel
