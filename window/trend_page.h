// The analysis window's 推移 page, for a run over a folder of periods: each
// card's adoption period by period with its change, trend and status
// (sortable), a line chart of the cards selected (the five most adopted in
// the last period when none is), and with deck types a stacked chart of
// their shares; both charts can be saved as PNG.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "analysis/report_data.h"

class QChart;
class QChartView;
class QLabel;
class QPushButton;
class QTableWidget;

namespace sormel {

class UserPrompts;

// At most this many cards are drawn at once.
inline constexpr int kMostChartedTrends = 10;
inline constexpr int kDefaultChartedTrends = 5;

// The adoption of each of `cards` over `periods`, one line per card.
QChart* makeTrendChart(const std::vector<const CardFigures*>& cards, const std::vector<PeriodInfo>& periods,
                       const QFont& font);
// Each type's share per period, stacked.
QChart* makeShareTrendChart(const std::vector<TypeReport>& types, const std::vector<PeriodInfo>& periods,
                            const QFont& font);

class TrendPage : public QWidget {
    Q_OBJECT
public:
    TrendPage(UserPrompts& prompts, QWidget* parent = nullptr);

    // Shows the trends of `report`; null, or a report of one period, shows none.
    void setData(std::shared_ptr<const ReportData> report);
    // The periods' folder the settings name, empty for none.
    void setFolder(const QString& folder);

signals:
    void chooseFolderRequested();
    void clearFolderRequested();

private:
    void fillTable();
    void showSelectedCards();
    void showShares();

    UserPrompts& prompts_;
    std::shared_ptr<const ReportData> data_;
    QLabel* folder_;
    QPushButton* clear_;
    QTableWidget* table_;
    QChartView* cardChart_;
    QChartView* shareChart_;
    QPushButton* saveShares_;
};

}  // namespace sormel
