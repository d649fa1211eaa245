// The charts of the analysis window's グラフ page, as Qt Charts objects:
// the top cards by a measure, split by copies, and the deck types' shares.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "analysis/report_data.h"

class QChart;
class QFont;

namespace sormel {

enum class ChartMeasure { Adoption, AverageCopies, Copies };

// The chart of the `top` cards of `report` by `measure` (ties keep the
// report's order), the first at the top. Each bar is one stacked set per
// copy bucket (1 .. limit, then more), the bar's length split in
// proportion to the decks (adoption) or the copies (the others) in each.
// The averages' and copies' charts leave out cards fewer than `minDecks`
// decks play. Each bar's label is the name (long ones elided in the
// middle; the whole names are the series' property kFullNamesProperty)
// and the bar's value.
QChart* makeCardChart(const CardReport& report, ChartMeasure measure, int top, const QFont& font,
                      std::int64_t minDecks = 0);
inline constexpr char kFullNamesProperty[] = "fullNames";
// 5 % of the decks, at least 2.
std::int64_t defaultChartMinDecks(std::int64_t deckCount);
// 採用率, 平均採用枚数, 枚数.
QString measureName(ChartMeasure measure);
// The chart's texts in `font`.
void applyFont(QChart* chart, const QFont& font);
// A chart saying there is nothing to show.
QChart* emptyChart(const QFont& font);
// The deck types' shares of all decks, in percent; two or more types under
// `otherBelow` (hundredths of a percent) are one bar, その他, at the bottom.
QChart* makeTypeShareChart(const std::vector<TypeReport>& types, const QFont& font, std::int64_t otherBelow = 0);

}  // namespace sormel
