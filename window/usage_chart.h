// The analysis window's グラフ page: a horizontal bar chart of the top
// cards by adoption, average copies or copies, each bar split by how many
// copies the decks play, or of the deck types' shares, or with deck
// results the metagame chart (metagame_chart.h); saved as a PNG at
// twice the size on screen, or put on the clipboard.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <vector>

#include "analysis/report_data.h"

class QChart;
class QChartView;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace sormel {

class UserPrompts;

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

class UsageChart : public QWidget {
    Q_OBJECT
public:
    UsageChart(UserPrompts& prompts, QWidget* parent = nullptr);

    // Shows the chart of `report`; null shows none.
    void setData(std::shared_ptr<const ReportData> report);
    QChart* chart() const;
    // The chart as shown, drawn at twice its size on a white ground.
    QImage image() const;

    void saveImage();
    void copyImage();

private:
    void rebuild();
    QString caption() const;

    UserPrompts& prompts_;
    std::shared_ptr<const ReportData> data_;
    QComboBox* subject_;
    QComboBox* measure_;
    QComboBox* top_;
    QSpinBox* minDecks_;
    QDoubleSpinBox* otherBelow_;
    QScrollArea* scroll_;
    QChartView* view_;
    QPushButton* save_;
    QPushButton* copy_;
};

}  // namespace sormel
