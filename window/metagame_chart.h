// The metagame chart of the analysis window's グラフ page: each deck type
// (or, without types, each of the 30 cards of highest adoption) as a point
// at (share or adoption, win rate), its 95 % interval a vertical bar, its
// size by its decks with a result, and its name beside it. Small samples,
// and those without games, are left out, and the title says how many.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "analysis/report_data.h"

class QChart;
class QFont;

namespace sormel {

struct MetagamePoint {
    QString label;
    double x = 0;  // share of the decks or adoption, in percent
    double rate = 0;
    double low = 0;
    double high = 0;  // the win rate and its interval, in percent
    std::int64_t decks = 0;  // with a result
};

struct MetagamePoints {
    bool types = false;  // the points are deck types, else cards
    std::vector<MetagamePoint> points;
    std::size_t leftOut = 0;  // small samples and those without games
};

inline constexpr std::size_t kMetagameCards = 30;

// What the chart shows of `data`: its types when it has them, else its
// cards of highest adoption (the report's order among equals).
MetagamePoints metagamePoints(const ReportData& data);

// The chart; one saying there are no results for data without them.
QChart* makeMetagameChart(const ReportData& data, const QFont& font);

}  // namespace sormel
