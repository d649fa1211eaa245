// The analysis window's グラフ page: a horizontal bar chart of the top
// cards by adoption, average copies or copies, each bar split by how many
// copies the decks play, or of the deck types' shares, or with deck
// results the metagame chart (card_charts.h, metagame_chart.h); saved as a PNG at
// twice the size on screen, or put on the clipboard.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <vector>

#include "analysis/report_data.h"
#include "window/card_charts.h"

class QChart;
class QChartView;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace sormel {

class UserPrompts;

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
