// The analysis window's 推移 page: its table of trends, the cards its chart
// follows, the share chart with deck types, the PNG, and the window reading
// a folder of periods once the settings name one.

#include <QApplication>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "window/analysis_window.h"
#include "window/trend_page.h"
#include "window_fixture.h"

using namespace window_test;

namespace {

// Two periods; card i had adoption 10·i then 100 − 5·i, so the last period
// ranks them the other way round; card 0 was not in the first period.
std::shared_ptr<sormel::ReportData> trendReport(int cards, bool typed) {
    auto data = std::make_shared<sormel::ReportData>();
    data->periods = {{"2026-11", 20}, {"2026-12", 20}};
    for (int i = 0; i < cards; ++i) {
        sormel::CardFigures card;
        card.number = "C-" + std::to_string(i);
        card.name = "Card " + std::to_string(i);
        sormel::CardTrend& trend = card.trend.emplace();
        trend.series = {{2, 2, i * 1000, 100, std::size_t(i) + 1}, {2, 2, 10000 - i * 500, 100, std::size_t(i) + 1}};
        trend.change = trend.series[1].adoption.value() - trend.series[0].adoption.value();
        trend.slope = trend.change;
        data->report.cards.push_back(card);
    }
    data->byFolder = typed;
    if (typed) {
        for (const char* name : {"Aggro", "Control"}) {
            sormel::TypeReport type;
            type.name = name;
            type.shareTrend = sormel::TypeTrend{{{10, 5000}, {10, 5000}}, 0, 0};
            data->types.push_back(type);
        }
    }
    return data;
}

QStringList seriesNames(const QChart* chart) {
    QStringList names;
    for (const QAbstractSeries* series : chart->series()) names << series->name();
    return names;
}

}  // namespace

class TrendPageTest : public QObject {
    Q_OBJECT
private slots:
    void tableListsEachCardsTrendAndSortsByChange();
    void chartFollowsTheTopFiveOrTheSelectedCardsUpToTen();
    void shareChartOnlyWithDeckTypes();
    void chartSavesAsAPng();
    void windowReadsTheFolderOfPeriodsTheSettingsName();
};

void TrendPageTest::tableListsEachCardsTrendAndSortsByChange() {
    Fixture fixture;
    sormel::TrendPage page(fixture.prompts);
    page.setData(trendReport(3, false));
    auto* table = page.findChild<QTableWidget*>("trendTable");
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->horizontalHeaderItem(2)->text(), QStringLiteral("採用(%) 2026-11"));
    QCOMPARE(table->horizontalHeaderItem(4)->text(), QStringLiteral("採用増減(pt)"));
    table->sortItems(4, Qt::DescendingOrder);  // changes 100, 85, 70: as numbers, not as text
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("C-0"));
    QCOMPARE(table->item(2, 4)->text(), QStringLiteral("70"));
    table->sortItems(4, Qt::AscendingOrder);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("C-2"));
    page.setData(nullptr);
    QCOMPARE(table->rowCount(), 0);
}

void TrendPageTest::chartFollowsTheTopFiveOrTheSelectedCardsUpToTen() {
    Fixture fixture;
    sormel::TrendPage page(fixture.prompts);
    page.setData(trendReport(12, false));
    auto* view = page.findChild<QChartView*>("trendChart");
    QCOMPARE(seriesNames(view->chart()), (QStringList{"Card 0", "Card 1", "Card 2", "Card 3", "Card 4"}));
    auto* line = qobject_cast<QLineSeries*>(view->chart()->series()[1]);
    QCOMPARE(line->count(), 2);
    QCOMPARE(line->at(1).y(), 95.0);
    auto* table = page.findChild<QTableWidget*>("trendTable");
    table->selectRow(7);
    QCOMPARE(seriesNames(view->chart()), QStringList{"Card 7"});
    table->selectAll();
    QCOMPARE(view->chart()->series().size(), sormel::kMostChartedTrends);
}

void TrendPageTest::shareChartOnlyWithDeckTypes() {
    Fixture fixture;
    sormel::TrendPage page(fixture.prompts);
    auto* view = page.findChild<QChartView*>("shareTrendChart");
    page.setData(trendReport(2, true));
    QVERIFY(view->isVisibleTo(&page));
    auto* stacked = qobject_cast<QStackedBarSeries*>(view->chart()->series().value(0));
    QVERIFY(stacked);
    QCOMPARE(stacked->count(), 2);
    QCOMPARE(stacked->barSets()[1]->label(), QStringLiteral("Control"));
    QCOMPARE(stacked->barSets()[1]->at(1), 50.0);
    page.setData(trendReport(2, false));
    QVERIFY(!view->isVisibleTo(&page));
}

void TrendPageTest::chartSavesAsAPng() {
    Fixture fixture;
    sormel::TrendPage page(fixture.prompts);
    page.resize(800, 600);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.setData(trendReport(3, false));
    const QString target = fixture.path("trend.png");
    fixture.prompts.saveAnswers.push_back(target);
    page.findChild<QPushButton*>("cmdSaveTrendChart")->click();
    const QImage saved(target);
    QVERIFY(!saved.isNull());
    const QSize viewport = page.findChild<QChartView*>("trendChart")->viewport()->size();
    QCOMPARE(saved.size(), viewport * 2);
}

void TrendPageTest::windowReadsTheFolderOfPeriodsTheSettingsName() {
    Fixture fixture;
    QDir().mkpath(fixture.path("periods/a"));
    QDir().mkpath(fixture.path("periods/b"));
    writeFile(fixture.path("periods/a/1.txt"), "4,P-1,Old\r\n");
    writeFile(fixture.path("periods/b/1.txt"), "4,P-2,New\r\n");
    sormel::MainWindow& window = fixture.open();
    action(window, "actAnalysis")->trigger();
    auto* analysis = window.findChild<sormel::AnalysisWindow*>("analysisWindow");
    QVERIFY(analysis);
    QSignalSpy shown(analysis, &sormel::AnalysisWindow::resultShown);
    QVERIFY(shown.wait(20000));  // the main window's folder first; the page is usable once it is shown
    fixture.prompts.folderAnswers.push_back(fixture.path("periods"));
    analysis->findChild<QPushButton*>("cmdPeriods")->click();
    QVERIFY(shown.wait(20000));
    auto* table = analysis->findChild<QTableWidget*>("trendTable");
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("P-2"));
    QCOMPARE(table->item(1, 6)->text(), QStringLiteral("消滅"));
    QVERIFY(analysis->findChild<QLabel*>("lblPeriods")->text().contains(QStringLiteral("periods")));

    analysis->findChild<QPushButton*>("cmdClearPeriods")->click();
    QVERIFY(shown.wait(20000));
    QCOMPARE(table->rowCount(), 0);  // the main window's folder again, one period
}

QTEST_MAIN(TrendPageTest)
#include "trend_page_test.moc"
