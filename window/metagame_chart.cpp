#include "window/metagame_chart.h"

#include <QChart>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "window/usage_chart.h"

namespace sormel {
namespace {

double percent(std::int64_t hundredths) { return static_cast<double>(hundredths) / 100.0; }

// Adds the point of `results` unless it is a small sample or has no games.
void addPoint(MetagamePoints& into, const QString& label, double x, const std::optional<ResultFigures>& results) {
    if (!results || results->smallSample || !results->winRate) {
        ++into.leftOut;
        return;
    }
    into.points.push_back({label, x, percent(*results->winRate), percent(results->winRateLow.value_or(0)),
                           percent(results->winRateHigh.value_or(0)), results->resultDecks});
}

}  // namespace

MetagamePoints metagamePoints(const ReportData& data) {
    MetagamePoints shown;
    if (!data.types.empty()) {
        shown.types = true;
        for (const TypeReport& type : data.types) {
            addPoint(shown, QString::fromStdString(type.name), percent(type.share), type.results);
        }
        return shown;
    }
    std::vector<const CardFigures*> cards;
    for (const CardFigures& card : data.report.cards) {
        if (!card.change || card.change->status != CardStatus::Dropped) cards.push_back(&card);
    }
    std::stable_sort(cards.begin(), cards.end(),
                     [](const CardFigures* a, const CardFigures* b) { return a->adoption > b->adoption; });
    if (cards.size() > kMetagameCards) cards.resize(kMetagameCards);
    for (const CardFigures* card : cards) {
        addPoint(shown, QString::fromStdString(card->name.empty() ? card->number : card->name), percent(card->adoption),
                 card->results);
    }
    return shown;
}

QChart* makeMetagameChart(const ReportData& data, const QFont& font) {
    if (!data.results) {
        QChart* chart = emptyChart(font);
        chart->setTitle(QStringLiteral("成績がありません（成績ファイルを指定してください）"));
        return chart;
    }
    const MetagamePoints shown = metagamePoints(data);
    auto* chart = new QChart;
    auto* across = new QValueAxis;
    across->setTitleText(shown.types ? QStringLiteral("デッキタイプの比率(%)") : QStringLiteral("採用率(%)"));
    auto* up = new QValueAxis;
    up->setTitleText(QStringLiteral("勝率(%)"));
    up->setRange(0, 100);
    chart->addAxis(across, Qt::AlignBottom);
    chart->addAxis(up, Qt::AlignLeft);
    double widest = 1;
    std::int64_t most = 1;
    for (const MetagamePoint& point : shown.points) {
        widest = std::max(widest, point.x);
        most = std::max(most, point.decks);
    }
    for (const MetagamePoint& point : shown.points) {
        auto* interval = new QLineSeries;
        interval->append(point.x, point.low);
        interval->append(point.x, point.high);
        auto* marker = new QScatterSeries;
        marker->append(point.x, point.rate);
        marker->setName(point.label);
        // The area grows with the decks.
        marker->setMarkerSize(8 + 22 * std::sqrt(static_cast<double>(point.decks) / static_cast<double>(most)));
        marker->setPointLabelsFormat(QString(point.label).replace(QLatin1Char('@'), QStringLiteral("＠")));
        marker->setPointLabelsVisible(true);
        marker->setPointLabelsClipping(false);
        marker->setPointLabelsFont(font);
        for (QXYSeries* series : {static_cast<QXYSeries*>(interval), static_cast<QXYSeries*>(marker)}) {
            chart->addSeries(series);
            series->attachAxis(across);
            series->attachAxis(up);
        }
        interval->setColor(marker->color());
    }
    across->setRange(0, widest);
    across->applyNiceNumbers();
    QString title = QStringLiteral("勝率と 95% 区間（点の大きさは成績のあるデッキ数）");
    if (shown.leftOut > 0) title += QStringLiteral("\n少数サンプルまたは対戦なしの %1 件は除いています").arg(shown.leftOut);
    chart->setTitle(title);
    chart->legend()->hide();
    applyFont(chart, font);
    return chart;
}

}  // namespace sormel
