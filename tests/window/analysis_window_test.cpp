// The analysis window: its table, filter, copy, chart, PNG, settings and
// comparison, driven as a user would drive them.

#include <QAbstractBarSeries>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QClipboard>
#include <QHorizontalStackedBarSeries>
#include <QHeaderView>
#include <QScrollBar>
#include <QImage>
#include <QScatterSeries>
#include <QLineEdit>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "export/report_writer.h"
#include "window/analysis_window.h"
#include "window/card_figures_model.h"
#include "window/card_filter_model.h"
#include "window/card_page.h"
#include "window/card_table_view.h"
#include "window/type_page.h"
#include "window/metagame_chart.h"
#include "window/usage_chart.h"
#include "window_fixture.h"

using namespace window_test;
using sormel::AnalysisWindow;

namespace {

sormel::CardFigures card(const char* number, const char* name, int decks, int copies, std::int64_t adoption,
                         std::optional<std::int64_t> avg, std::vector<std::int64_t> split) {
    sormel::CardFigures figures;
    figures.number = number;
    figures.name = name;
    figures.decks = decks;
    figures.copies = copies;
    figures.adoption = adoption;
    figures.avgCopies = avg;
    figures.split = std::move(split);
    return figures;
}

// Ten decks; split buckets 1, 2, 3, more, zero-or-less.
std::shared_ptr<sormel::CardReport> knownReport() {
    auto report = std::make_shared<sormel::CardReport>();
    report->deckCount = 10;
    report->cards = {card("AB-1", "Ａｌｐｈａ", 9, 18, 9000, 200, {2, 5, 1, 1, 0}),
                     card("AB-2", "beta", 10, 10, 10000, 100, {10, 0, 0, 0, 0}),
                     card("AB-3", "Gamma\tx", 100, 300, 2000, 300, {0, 0, 2, 0, 0}),
                     card("XY-9", "delta", 0, 0, 0, std::nullopt, {0, 0, 0, 0, 0})};
    return report;
}

QStringList column(const QAbstractItemModel& model, int col) {
    QStringList cells;
    for (int row = 0; row < model.rowCount(); ++row) cells << model.index(row, col).data().toString();
    return cells;
}

AnalysisWindow* openAnalysis(sormel::MainWindow& window) {
    action(window, "actAnalysis")->trigger();
    auto* analysis = window.findChild<AnalysisWindow*>("analysisWindow");
    if (!analysis) qFatal("no analysis window");
    return analysis;
}

// Picks a source of deck types as the user does (none, sub-folders, rules file).
void chooseTypeSource(AnalysisWindow* analysis, int index) {
    auto* source = analysis->findChild<QComboBox*>("cmbTypeSource");
    source->setCurrentIndex(index);
    emit source->activated(index);
}

}  // namespace

class AnalysisWindowTest : public QObject {
    Q_OBJECT
private slots:
    void numbersSortAsNumbers();
    void tableHasTheReportFilesColumnsAndValues();
    void filterMatchesFullAndHalfWidthAlike();
    void copyGivesTheSelectedRowsAsTabSeparatedText();
    void hiddenColumnsStayHiddenByWhatTheyHold();
    void columnsFitTheirContentsAndKeepTheWidthsTheUserSets();
    void headerClicksSortFiguresLargestFirstAndKeepTiesInOrder();
    void chartShowsTheTopCardsSplitByCopies();
    void smallTypesShareOneBar();
    void chartSavesAsAPngAtTwiceItsSize();
    void settingsPersistAcrossARestart();
    void escapeAndCtrlWCloseTheWindow();
    void rulesTypeTheDecksAndADraftCanBeUsed();
    void averageDeckKeepsNamesShiftJisCannotHold();
    void comparisonMarksRisingFallingNewAndDroppedCards();
    void analysisFollowsTheMainRunAndLeavesTheMainGridAlone();
    void warningsComeAboveTheSkippedLines();
    void failedRunKeepsTheLastAnalysis();
    void cutShortOrOutdatedAnalysisIsNeverShownAsCurrent();
    void resultsFollowTheColumnsGreyedForSmallSamplesAndLeftOutOfTheMetagame();
    void aResultsFileAndTheTopCutAreSettingsThatShapeTheAnalysis();
};

void AnalysisWindowTest::numbersSortAsNumbers() {
    const auto report = knownReport();
    sormel::CardFiguresModel cards;
    cards.setReport(report, false);
    sormel::CardFilterModel shown(cards);
    shown.sort(2, Qt::AscendingOrder);  // デッキ
    QCOMPARE(column(shown, 2), (QStringList{"0", "9", "10", "100"}));
    shown.sort(6, Qt::DescendingOrder);  // 平均採用枚数; a card no deck plays has none, last
    QCOMPARE(column(shown, 6), (QStringList{"3.00", "2.00", "1.00", ""}));
    shown.sort(4, Qt::AscendingOrder);  // 採用(%)
    QCOMPARE(column(shown, 4), (QStringList{"0.00", "20.00", "90.00", "100.00"}));
    QCOMPARE(cards.headerData(11, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("1枚"));
    QCOMPARE(cards.index(0, 12).data().toString(), QStringLiteral("5"));
}

// The window's table and the CSV report of the same compared report have
// the same titles, and each cell shows the CSV's value (rates and averages
// with two decimals).
void AnalysisWindowTest::tableHasTheReportFilesColumnsAndValues() {
    const auto report = knownReport();
    using sormel::CardStatus;
    const auto none = std::nullopt;
    report->cards[0].change = sormel::CardChange{CardStatus::Kept, 8000, 1000, 150, 50, 1, 2};
    report->cards[1].change = sormel::CardChange{CardStatus::New, 0, 10000, none, none, 2, none};
    report->cards[3].change = sormel::CardChange{CardStatus::Dropped, 2500, -2500, 125, none, none, 3};
    sormel::CardFiguresModel cards;
    cards.setReport(report, true);
    sormel::ReportData data;
    data.report = *report;
    data.baseline = sormel::BaselineInfo{};
    const std::string csv = sormel::formatReportCsv(data).substr(3);  // after the byte-order mark
    const QStringList lines = QString::fromStdString(csv).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), cards.rowCount() + 2);  // and the empty piece after the last line end
    const auto unquoted = [](const QString& field) {
        return field.startsWith('"') ? field.mid(1, field.size() - 2) : field;
    };
    const QStringList headers = lines[0].split(',');
    QCOMPARE(headers.size(), cards.columnCount());
    for (int col = 0; col < cards.columnCount(); ++col) {
        QCOMPARE(cards.headerData(col, Qt::Horizontal, Qt::DisplayRole).toString(), unquoted(headers[col]));
    }
    for (int row = 0; row < cards.rowCount(); ++row) {
        const QStringList fields = lines[row + 1].split(',');
        QCOMPARE(fields.size(), cards.columnCount());
        for (int col = 0; col < cards.columnCount(); ++col) {
            QString shown = cards.index(row, col).data().toString();
            // The window signs a change and marks its way; the file keeps the number.
            if (shown.endsWith(QStringLiteral(" ▲")) || shown.endsWith(QStringLiteral(" ▼"))) {
                QCOMPARE(shown.endsWith(QStringLiteral("▲")), fields[col].toDouble() > 0);
                QCOMPARE(shown.startsWith('+'), fields[col].toDouble() > 0);
                shown.chop(2);
            }
            if (fields[col].startsWith('"') || fields[col].isEmpty()) {
                QCOMPARE(shown, unquoted(fields[col]));
            } else {
                QCOMPARE(shown.toDouble(), fields[col].toDouble());
            }
        }
    }
}

void AnalysisWindowTest::filterMatchesFullAndHalfWidthAlike() {
    const auto report = knownReport();
    sormel::CardFiguresModel cards;
    cards.setReport(report, false);
    sormel::CardFilterModel shown(cards);
    shown.setFilterText(QStringLiteral("ALPH"));  // half-width, other case, against full-width
    QCOMPARE(column(shown, 0), QStringList{"AB-1"});
    shown.setFilterText(QStringLiteral("ｂｅＴ"));  // full-width against half-width
    QCOMPARE(column(shown, 0), QStringList{"AB-2"});
    shown.setFilterText(QStringLiteral("ab-"));  // card numbers too
    QCOMPARE(column(shown, 0), (QStringList{"AB-1", "AB-2", "AB-3"}));
    shown.setFilterText(QStringLiteral("ｘｙ－９"));
    QCOMPARE(column(shown, 0), QStringList{"XY-9"});
    // Hiragana, katakana and half-width katakana alike.
    QCOMPARE(sormel::foldForMatch(QStringLiteral("ゴブリン")), sormel::foldForMatch(QStringLiteral("ごぶりん")));
    QCOMPARE(sormel::foldForMatch(QStringLiteral("ｺﾞﾌﾞﾘﾝ")), sormel::foldForMatch(QStringLiteral("ごぶりん")));
    // The page says how many cards the filter leaves.
    sormel::CardPage page;
    page.setReport(report, false);
    page.findChild<QLineEdit*>("txtFilter")->setText(QStringLiteral("ab-"));
    QCOMPARE(page.findChild<QLabel*>("lblCardCount")->text(), QStringLiteral("3 / 4 件"));
    shown.setFilterText(QString());
    QCOMPARE(shown.rowCount(), 4);
}

void AnalysisWindowTest::copyGivesTheSelectedRowsAsTabSeparatedText() {
    const auto report = knownReport();
    sormel::CardFiguresModel cards;
    cards.setReport(report, false);
    sormel::CardFilterModel shown(cards);
    sormel::CardTableView view;
    view.setModel(&shown);
    for (int col = 4; col < cards.columnCount(); ++col) view.setColumnHidden(col, true);
    view.sortByColumn(2, Qt::DescendingOrder);
    view.show();
    view.selectRow(2);
    view.selectionModel()->select(shown.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QApplication::clipboard()->clear();
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("No.\tカード名称\tデッキ\t枚数\r\n"
                            "AB-3\tGamma x\t100\t300\r\n"
                            "AB-1\tＡｌｐｈａ\t9\t18\r\n"));
}

void AnalysisWindowTest::headerClicksSortFiguresLargestFirstAndKeepTiesInOrder() {
    auto report = std::make_shared<sormel::CardReport>(*knownReport());
    report->cards = {card("T-2", "tie 102", 43, 102, 4300, 237, {0, 0, 0, 0, 0}),
                     card("T-1", "tie 98", 43, 98, 4300, 228, {0, 0, 0, 0, 0}),
                     card("U-1", "more", 50, 50, 5000, 100, {0, 0, 0, 0, 0}),
                     card("V-1", "fewer", 10, 10, 1000, 100, {0, 0, 0, 0, 0})};
    sormel::CardFiguresModel cards;
    sormel::CardFilterModel shown(cards);
    sormel::CardTableView view;
    view.setModel(&shown);
    cards.setReport(report, false);
    view.resize(1200, 300);
    view.show();
    QCOMPARE(view.horizontalHeader()->sortIndicatorSection(), -1);
    QCOMPARE(column(shown, 0), (QStringList{"T-2", "T-1", "U-1", "V-1"}));
    const auto clickHeader = [&](int section) {
        QHeaderView* header = view.horizontalHeader();
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    clickHeader(2);  // デッキ
    QCOMPARE(column(shown, 0), (QStringList{"U-1", "T-2", "T-1", "V-1"}));
    clickHeader(2);
    QCOMPARE(column(shown, 0), (QStringList{"V-1", "T-2", "T-1", "U-1"}));
    clickHeader(1);  // names sort from A on the first click
    QCOMPARE(column(shown, 1), (QStringList{"fewer", "more", "tie 102", "tie 98"}));

    // Narrow, the table scrolls sideways with No. and the name kept in view,
    // and their headers still sort.
    view.resize(400, 300);
    QApplication::processEvents();
    auto* frozen = view.findChild<QTableView*>("frozenColumns");
    QVERIFY(frozen->isVisible());
    QCOMPARE(frozen->width(), view.columnWidth(0) + view.columnWidth(1));
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    QVERIFY(frozen->isVisible() && frozen->x() < view.columnWidth(0));
    const QPoint onName(frozen->horizontalHeader()->sectionViewportPosition(1) + 5, frozen->horizontalHeader()->height() / 2);
    QTest::mouseClick(frozen->horizontalHeader()->viewport(), Qt::LeftButton, {}, onName);
    QCOMPARE(column(shown, 1), (QStringList{"tie 98", "tie 102", "more", "fewer"}));
}

void AnalysisWindowTest::columnsFitTheirContentsAndKeepTheWidthsTheUserSets() {
    Fixture fixture;  // a settings file of the test's own
    auto report = knownReport();
    report->cards[0].name = "A card name long enough to need a wider column than the header";
    sormel::CardFiguresModel cards;
    {
        sormel::CardTableView view;
        view.setModel(&cards);
        cards.setReport(report, false);
        QVERIFY(view.columnWidth(1) > view.fontMetrics().horizontalAdvance(QStringLiteral("A card name long")));
        view.horizontalHeader()->resizeSection(2, 151);  // as a drag of the header does
    }
    sormel::CardTableView again;
    again.setModel(&cards);
    cards.setReport(report, false);
    QCOMPARE(again.columnWidth(2), 151);
}

void AnalysisWindowTest::hiddenColumnsStayHiddenByWhatTheyHold() {
    auto report = knownReport();
    sormel::CardFiguresModel cards;
    sormel::CardTableView view;
    view.setModel(&cards);
    cards.setReport(report, false);
    const auto shownTitles = [&] {
        QStringList titles;
        for (int col = 0; col < cards.columnCount(); ++col) {
            if (!view.isColumnHidden(col)) titles << cards.headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
        }
        return titles;
    };
    view.setColumnShown(cards.columnCount() - 1, false);  // 0枚以下
    view.setColumnShown(cards.columnCount() - 2, false);  // 4枚以上, beyond the limit
    QVERIFY(!shownTitles().contains(QStringLiteral("0枚以下")));
    auto wider = std::make_shared<sormel::CardReport>(*report);
    wider->copyLimit = 4;
    for (sormel::CardFigures& card : wider->cards) card.split.insert(card.split.begin() + 3, 0);
    cards.setReport(wider, false);
    const QStringList titles = shownTitles();
    QVERIFY2(titles.contains(QStringLiteral("4枚")) && !titles.contains(QStringLiteral("5枚以上")) &&
                 !titles.contains(QStringLiteral("0枚以下")),
             qPrintable(titles.join(',')));
}

void AnalysisWindowTest::chartShowsTheTopCardsSplitByCopies() {
    const auto report = knownReport();
    std::unique_ptr<QChart> chart(sormel::makeCardChart(*report, sormel::ChartMeasure::Adoption, 2, QFont()));
    auto* series = qobject_cast<QHorizontalStackedBarSeries*>(chart->series().value(0));
    QVERIFY(series);
    QStringList sets;
    for (QBarSet* set : series->barSets()) sets << set->label();
    QCOMPARE(sets, (QStringList{"1枚", "2枚", "3枚", "4枚以上"}));
    auto* axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Vertical).value(0));
    QCOMPARE(axis->categories(), (QStringList{"Ａｌｐｈａ  90.00%", "beta  100.00%"}));  // the first from the top
    // beta: 100 % from one-copy decks; Alpha: 90 % as 2 : 5 : 1 : 1 decks.
    QCOMPARE(series->barSets()[0]->at(1), 100.0);
    QCOMPARE(series->barSets()[1]->at(1), 0.0);
    QCOMPARE(series->barSets()[0]->at(0), 20.0);
    QCOMPARE(series->barSets()[1]->at(0), 50.0);
    QCOMPARE(series->barSets()[3]->at(0), 10.0);

    // By copies: Gamma's 300 copies all in three-copy decks beyond the split's 6.
    chart.reset(sormel::makeCardChart(*report, sormel::ChartMeasure::Copies, 10, QFont()));
    series = qobject_cast<QHorizontalStackedBarSeries*>(chart->series().value(0));
    axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Vertical).value(0));
    QCOMPARE(axis->categories().last(), QStringLiteral("Gamma\tx  300"));
    QCOMPARE(axis->categories().size(), 4);
    QCOMPARE(series->barSets()[2]->at(3) + series->barSets()[3]->at(3), 300.0);
    // Averages leave out cards fewer decks play than asked; long names keep both ends.
    auto longNamed = std::make_shared<sormel::CardReport>(*report);
    longNamed->cards[1].name = "A name far too long for the axis of any chart";
    chart.reset(sormel::makeCardChart(*longNamed, sormel::ChartMeasure::AverageCopies, 10, QFont(), 10));
    axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Vertical).value(0));
    QCOMPARE(axis->categories(), (QStringList{"A name far…f any chart  1.00", "Gamma\tx  3.00"}));
    QCOMPARE(chart->series().value(0)->property(sormel::kFullNamesProperty).toStringList().front(),
             QStringLiteral("A name far too long for the axis of any chart"));
    QCOMPARE(sormel::defaultChartMinDecks(10), 2);
    QCOMPARE(sormel::defaultChartMinDecks(2000), 100);
    QCOMPARE(sormel::defaultChartMinDecks(2001), 101);

    // Compared with a baseline: a mark at each kept card's earlier adoption, none for a new one.
    auto compared = std::make_shared<sormel::CardReport>(*report);
    compared->cards[0].change = sormel::CardChange{sormel::CardStatus::Kept, 8000, 1000, 150, 50, 1, 2};
    compared->cards[1].change = sormel::CardChange{sormel::CardStatus::New, 0, 10000, std::nullopt, std::nullopt, 2, std::nullopt};
    chart.reset(sormel::makeCardChart(*compared, sormel::ChartMeasure::Adoption, 2, QFont()));
    auto* before = qobject_cast<QScatterSeries*>(chart->series().value(1));
    QVERIFY(before);
    QCOMPARE(before->points(), (QList<QPointF>{QPointF(80.0, 0.0)}));  // Alpha, the lower bar
}

void AnalysisWindowTest::smallTypesShareOneBar() {
    std::vector<sormel::TypeReport> types(4);
    const char* names[] = {"Big", "Mid", "Tiny", "Wee"};
    const std::int64_t shares[] = {6000, 3700, 200, 100};
    for (std::size_t i = 0; i < types.size(); ++i) {
        types[i].name = names[i];
        types[i].share = shares[i];
    }
    const auto bars = [&](std::int64_t otherBelow) {
        std::unique_ptr<QChart> chart(sormel::makeTypeShareChart(types, QFont(), otherBelow));
        auto* series = qobject_cast<QAbstractBarSeries*>(chart->series().value(0));
        auto* axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Vertical).value(0));
        QStringList shown;
        for (int i = 0; i < axis->count(); ++i) shown << axis->at(i) + '=' + QString::number(series->barSets()[0]->at(i));
        return shown;
    };
    QCOMPARE(bars(250), (QStringList{"その他（2 タイプ）=3", "Mid=37", "Big=60"}));  // from the bottom up
    QCOMPARE(bars(150), (QStringList{"Wee=1", "Tiny=2", "Mid=37", "Big=60"}));     // a group of one is itself
    QCOMPARE(bars(0).size(), 4);
}

void AnalysisWindowTest::chartSavesAsAPngAtTwiceItsSize() {
    Fixture fixture;
    const auto data = std::make_shared<sormel::ReportData>();
    data->report = *knownReport();
    sormel::UsageChart chart(fixture.prompts);
    chart.resize(500, 400);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    chart.setData(data);
    const QString target = fixture.path("chart.png");
    fixture.prompts.saveAnswers.push_back(target);
    chart.findChild<QPushButton*>("chartSave")->click();
    QCOMPARE(fixture.prompts.saveRequests.back().filters.left(3), QStringLiteral("PNG"));
    QImage saved(target);
    QVERIFY(!saved.isNull());
    const QSize viewport = chart.findChild<QWidget*>("chartView")->size();
    QVERIFY(saved.width() >= 2 * viewport.width() - 8 && saved.width() <= 2 * viewport.width());
    QVERIFY(saved.height() >= 2 * viewport.height() - 8 && saved.height() <= 2 * viewport.height());
    QSet<QRgb> colours;
    for (int y = 0; y < saved.height(); y += 7)
        for (int x = 0; x < saved.width(); x += 7) colours.insert(saved.pixel(x, y));
    QVERIFY2(colours.size() > 10, "the picture is blank");

    chart.findChild<QPushButton*>("chartCopy")->click();
    QCOMPARE(QApplication::clipboard()->image().size(), saved.size());
}

void AnalysisWindowTest::settingsPersistAcrossARestart() {
    Fixture fixture;
    QVERIFY(QDir(fixture.path(".")).mkdir("before"));
    {
        sormel::MainWindow& w = fixture.open();
        AnalysisWindow* analysis = openAnalysis(w);
        analysis->findChild<QSpinBox*>("spnCopyLimit")->setValue(4);
        chooseTypeSource(analysis, 1);
        analysis->findChild<QCheckBox*>("chkMergeByName")->setChecked(true);
        fixture.prompts.folderAnswers.push_back(fixture.path("before"));
        analysis->findChild<QPushButton*>("cmdBaseline")->click();
        analysis->findChild<QTabWidget*>("analysisTabs")->setCurrentIndex(3);
        analysis->resize(777, 555);
        analysis->close();
    }
    sormel::MainWindow& w = fixture.open();
    AnalysisWindow* analysis = openAnalysis(w);
    QCOMPARE(analysis->findChild<QSpinBox*>("spnCopyLimit")->value(), 4);
    QCOMPARE(analysis->findChild<QComboBox*>("cmbTypeSource")->currentIndex(), 1);
    QVERIFY(analysis->findChild<QCheckBox*>("chkMergeByName")->isChecked());
    QVERIFY(analysis->findChild<QLabel*>("lblBaseline")->text().contains(QDir::toNativeSeparators(fixture.path("before"))));
    QCOMPARE(analysis->findChild<QTabWidget*>("analysisTabs")->currentIndex(), 3);
    QCOMPARE(analysis->size(), QSize(777, 555));
    analysis->findChild<QPushButton*>("cmdClearBaseline")->click();
    QVERIFY(!analysis->findChild<QLabel*>("lblBaseline")->text().contains(fixture.path("before")));
}

void AnalysisWindowTest::escapeAndCtrlWCloseTheWindow() {
    Fixture fixture;
    sormel::MainWindow& w = fixture.open();
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        AnalysisWindow* analysis = openAnalysis(w);
        QVERIFY(QTest::qWaitForWindowExposed(analysis));
        QVERIFY(analysis->minimumWidth() > 0 && analysis->minimumHeight() > 0);
        analysis->activateWindow();
        QTest::keySequence(analysis, keys);
        QTRY_VERIFY2(!analysis->isVisible(), qPrintable(keys.toString()));
    }
}

void AnalysisWindowTest::rulesTypeTheDecksAndADraftCanBeUsed() {
    Fixture fixture(0);
    writeFile(fixture.path("1.txt"), "3,A-1,Aggro\r\n3,A-2,Aggro2\r\n");
    writeFile(fixture.path("2.txt"), "3,A-1,Aggro\r\n3,A-2,Aggro2\r\n");
    writeFile(fixture.path("3.txt"), "3,B-1,Control\r\n3,B-2,Control2\r\n");
    writeFile(fixture.path("rules.toml"), "[[type]]\nname = \"Aggro\"\nall = [\"A-1\"]\n");
    {
        sormel::MainWindow& w = fixture.open();
        AnalysisWindow* analysis = openAnalysis(w);
        QTRY_VERIFY(analysis->result() && !analysis->busy());
        // Picking rules without a file asks for one; cancelling keeps the source.
        chooseTypeSource(analysis, 2);
        QCOMPARE(fixture.prompts.openRequests.size(), 1);
        QCOMPARE(analysis->findChild<QComboBox*>("cmbTypeSource")->currentIndex(), 0);

        fixture.prompts.openAnswers.push_back(fixture.path("rules.toml"));
        analysis->findChild<QPushButton*>("cmdRulesFile")->click();
        QTRY_VERIFY(analysis->result() && analysis->result()->data.byRules && !analysis->busy());
        auto* decks = analysis->findChild<QTableWidget*>("deckList");
        QCOMPARE(decks->rowCount(), 3);
        QCOMPARE(decks->item(0, 1)->text(), QStringLiteral("Aggro"));
        QCOMPARE(decks->item(0, 2)->text(), QStringLiteral("ルール"));
        QCOMPARE(decks->item(2, 1)->text(), QStringLiteral("分類なし"));
        // Sorted by type, a double-click still opens the deck of its row.
        decks->sortItems(1, Qt::DescendingOrder);
        QSignalSpy opened(analysis->findChild<sormel::TypePage*>(), &sormel::TypePage::deckOpenRequested);
        emit decks->cellDoubleClicked(0, 0);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(QFileInfo(opened.front().front().toString()).canonicalFilePath(), QFileInfo(fixture.path("3.txt")).canonicalFilePath());

        // A draft made from the decks, saved, and taken as the rules.
        fixture.prompts.saveAnswers.push_back(fixture.path("draft.toml"));
        fixture.prompts.yesNoAnswers.push_back(true);
        analysis->findChild<QPushButton*>("cmdSuggestTypes")->click();
        QTRY_VERIFY(QFile::exists(fixture.path("draft.toml")) && !analysis->busy());
        QTRY_VERIFY(analysis->result()->request.typeRules &&
                    analysis->result()->request.typeRules->filename() == "draft.toml" && !analysis->busy());
        QFile draft(fixture.path("draft.toml"));
        QVERIFY(draft.open(QIODevice::ReadOnly) && draft.readAll().contains("[[type]]"));
        QCOMPARE(analysis->result()->data.types.size(), std::size_t{2});
        analysis->close();
    }
    // The source and the last rules file come back after a restart.
    sormel::MainWindow& w = fixture.open();
    AnalysisWindow* analysis = openAnalysis(w);
    QCOMPARE(analysis->findChild<QComboBox*>("cmbTypeSource")->currentIndex(), 2);
    QCOMPARE(analysis->findChild<QLabel*>("lblRulesFile")->text(), QStringLiteral("draft.toml"));
}

void AnalysisWindowTest::averageDeckKeepsNamesShiftJisCannotHold() {
    Fixture fixture(0);
    writeFile(fixture.path("1.txt"), "2,J-1,J\xC3\xB6tun Grunt\r\n1,S-1,S\xC3\xA9" "ance\r\n");
    sormel::MainWindow& w = fixture.open();
    AnalysisWindow* analysis = openAnalysis(w);
    QTRY_VERIFY(analysis->result() && !analysis->busy());
    fixture.prompts.saveAnswers.push_back(fixture.path("avg.txt"));
    analysis->findChild<QPushButton*>("cmdSaveAverage")->click();
    QFile saved(fixture.path("avg.txt"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("2,J-1,J\xC3\xB6tun Grunt\r\n1,S-1,S\xC3\xA9" "ance\r\n"));
    QVERIFY2(fixture.prompts.messages.back().text.contains(QStringLiteral("UTF-8")),
             qPrintable(fixture.prompts.messages.back().text));
}

void AnalysisWindowTest::comparisonMarksRisingFallingNewAndDroppedCards() {
    Fixture fixture(0);
    // Now: A in both decks, B in one, N new. Before: A in one, B in both, D gone.
    writeFile(fixture.path("1.txt"), "1,A-1,Rise\r\n1,B-1,Fall\r\n1,N-1,New\r\n");
    writeFile(fixture.path("2.txt"), "1,A-1,Rise\r\n");
    QVERIFY(QDir(fixture.path(".")).mkdir("old"));
    writeFile(fixture.path("old/1.txt"), "1,A-1,Rise\r\n1,B-1,Fall\r\n1,D-1,Gone\r\n");
    writeFile(fixture.path("old/2.txt"), "1,B-1,Fall\r\n");
    sormel::MainWindow& w = fixture.open();
    AnalysisWindow* analysis = openAnalysis(w);
    fixture.prompts.folderAnswers.push_back(fixture.path("old"));
    analysis->findChild<QPushButton*>("cmdBaseline")->click();
    QTRY_VERIFY(analysis->result() && analysis->result()->data.baseline && !analysis->busy());
    const QAbstractItemModel* cards = analysis->findChild<QTableView*>("cardTable")->model();
    QHash<QString, int> rowOf;
    for (int row = 0; row < cards->rowCount(); ++row) rowOf[cards->index(row, 0).data().toString()] = row;
    QCOMPARE(rowOf.size(), 4);
    const int status = cards->columnCount() - 1;
    auto colour = [&](const char* number, int role) {
        return cards->index(rowOf[number], 1).data(role).value<QBrush>().color();
    };
    QCOMPARE(colour("A-1", Qt::ForegroundRole), QColor(0, 128, 0));
    QCOMPARE(colour("B-1", Qt::ForegroundRole), QColor(192, 0, 0));
    QCOMPARE(cards->index(rowOf["N-1"], status).data().toString(), QStringLiteral("新規"));
    QCOMPARE(cards->index(rowOf["D-1"], status).data().toString(), QStringLiteral("消滅"));
    QVERIFY(colour("N-1", Qt::BackgroundRole) != colour("D-1", Qt::BackgroundRole));
    QVERIFY(!cards->index(rowOf["A-1"], 1).data(Qt::BackgroundRole).isValid());
    // A rose by 50 points: past a threshold of 60 it is not coloured.
    analysis->findChild<QDoubleSpinBox*>("spnChangeThreshold")->setValue(60);
    QVERIFY(!cards->index(rowOf["A-1"], 1).data(Qt::ForegroundRole).isValid());
    analysis->findChild<QDoubleSpinBox*>("spnChangeThreshold")->setValue(1);
}

void AnalysisWindowTest::analysisFollowsTheMainRunAndLeavesTheMainGridAlone() {
    Fixture fixture(0);
    QVERIFY(QDir(fixture.path(".")).mkdir("typeA"));
    writeFile(fixture.path("1.txt"), "2,AB-1,Same\r\n1,AB-2,Same\r\nnot a card line\r\n");
    writeFile(fixture.path("typeA/2.txt"), "3,AB-1,Same\r\n");
    sormel::MainWindow& w = fixture.open();
    AnalysisWindow* analysis = openAnalysis(w);
    analysis->findChild<QCheckBox*>("chkMergeByName")->setChecked(true);
    chooseTypeSource(analysis, 1);
    QTRY_VERIFY(analysis->result() && !analysis->busy());

    std::optional<bool> greyedDuringRun;
    whenFileStarts(w, 0, [&] { greyedDuringRun = !analysis->findChild<QTableView*>("cardTable")->isEnabled(); });
    const WindowControls c(w);
    c.cmdExec->click();
    QCOMPARE(greyedDuringRun, std::optional<bool>(true));
    // The main grid as ever: two rows, one deck (sub-folders are not read there).
    QCOMPARE(c.mfgList->model()->rowCount(), 2);
    QCOMPARE(cell(w, 0, 2), QStringLiteral("1"));
    QTRY_VERIFY(!analysis->busy() && analysis->findChild<QTableView*>("cardTable")->isEnabled());
    const sormel::ReportData& data = analysis->result()->data;
    QCOMPARE(data.report.deckCount, 2);
    QCOMPARE(data.report.cards.size(), std::size_t{1});  // merged by name
    QCOMPARE(data.types.size(), std::size_t{2});
    QVERIFY(data.report.averageDeck.has_value());
    QCOMPARE(analysis->findChild<QTableWidget*>("typeList")->rowCount(), 2);
    QCOMPARE(analysis->findChild<QTableWidget*>("averageDeck")->rowCount(), 1);
    QTableWidget* skipped = analysis->findChild<QTableWidget*>("skippedLines");
    QCOMPARE(skipped->rowCount(), 1);
    QCOMPARE(skipped->item(0, 2)->text(), QStringLiteral("not a card line"));
    QCOMPARE(skipped->item(0, 1)->text(), QStringLiteral("3"));

    // Saving the average deck writes a deck file the program reads back.
    fixture.prompts.saveAnswers.push_back(fixture.path("average.txt"));
    analysis->findChild<QPushButton*>("cmdSaveAverage")->click();
    QFile average(fixture.path("average.txt"));
    QVERIFY(average.open(QIODevice::ReadOnly));
    QVERIFY(average.readAll().contains("Same"));

    // Filtering through the window's own box.
    analysis->findChild<QLineEdit*>("txtFilter")->setText(QStringLiteral("ｓａｍｅ"));
    QCOMPARE(analysis->findChild<QTableView*>("cardTable")->model()->rowCount(), 1);
    analysis->findChild<QLineEdit*>("txtFilter")->setText(QStringLiteral("zzz"));
    QCOMPARE(analysis->findChild<QTableView*>("cardTable")->model()->rowCount(), 0);
}

void AnalysisWindowTest::failedRunKeepsTheLastAnalysis() {
    Fixture fixture;
    sormel::MainWindow& w = fixture.open();
    AnalysisWindow* analysis = openAnalysis(w);
    QTRY_VERIFY(analysis->result() && !analysis->busy());
    const sormel::AnalysisResult* first = analysis->result();
    QVERIFY(QDir(fixture.path(".")).mkdir("missing"));
    fixture.prompts.folderAnswers.push_back(fixture.path("missing"));
    analysis->findChild<QPushButton*>("cmdBaseline")->click();
    QVERIFY(QDir(fixture.path("missing")).removeRecursively());
    QTRY_VERIFY(!analysis->busy());
    QCOMPARE(analysis->result(), first);
    // The failure, and that the table is not of the baseline on screen, are said whole.
    const QLabel* bar = analysis->findChild<QLabel*>("messageBar");
    QVERIFY(bar->isVisibleTo(analysis) && bar->text().contains(QStringLiteral("分析できませんでした")));
    QVERIFY(bar->text().contains(QStringLiteral("古い結果")));
    QVERIFY(analysis->findChild<QTableView*>("cardTable")->isEnabled());
    analysis->findChild<QPushButton*>("cmdClearBaseline")->click();
    QTRY_VERIFY(!analysis->busy() && analysis->result() != first);
    QVERIFY(!bar->isVisibleTo(analysis));
}

// A change of settings whose analysis a declined main run cut short, or a
// change of folder, leaves the table marked old until 再集計.
void AnalysisWindowTest::cutShortOrOutdatedAnalysisIsNeverShownAsCurrent() {
    Fixture fixture;
    sormel::MainWindow& w = fixture.open();
    AnalysisWindow* analysis = openAnalysis(w);
    QTRY_VERIFY(analysis->result() && !analysis->busy());
    const WindowControls c(w);
    c.cmdExec->click();  // a first main run: the next one asks before clearing the table
    QTRY_VERIFY(!analysis->busy());
    analysis->findChild<QSpinBox*>("spnCopyLimit")->setValue(4);
    emit analysis->findChild<QSpinBox*>("spnCopyLimit")->editingFinished();
    QVERIFY(analysis->busy());
    fixture.prompts.yesNoAnswers.push_back(false);
    c.cmdExec->click();
    QTRY_VERIFY(!analysis->busy());
    QCOMPARE(analysis->result()->request.copyLimit, 4);

    QVERIFY(QDir(fixture.path(".")).mkdir("other"));
    writeFile(fixture.path("other/1.txt"), "1,Z-1,z\r\n");
    c.fleList->setPath(QFile::encodeName(fixture.path("other")).toStdString());
    const QLabel* bar = analysis->findChild<QLabel*>("messageBar");
    QTRY_VERIFY(bar->isVisibleTo(analysis) && bar->text().contains(QStringLiteral("古い結果")));
    analysis->findChild<QPushButton*>("cmdRerun")->click();
    QTRY_VERIFY(!analysis->busy() && analysis->result()->data.report.deckCount == 1);
    QTRY_VERIFY(!bar->isVisibleTo(analysis));
}

void AnalysisWindowTest::warningsComeAboveTheSkippedLines() {
    Fixture fixture(0);
    writeFile(fixture.path("1.txt"), "[Main]\r\nnot a card line\r\n1 Bolt\r\n[Creatures]\r\n4 Goblin\r\n");
    writeFile(fixture.path("2.txt"), "About\r\n");
    sormel::MainWindow& w = fixture.open();
    AnalysisWindow* analysis = openAnalysis(w);
    QTRY_VERIFY(analysis->result() && !analysis->busy());
    QTableWidget* notes = analysis->findChild<QTableWidget*>("skippedLines");
    QCOMPARE(notes->rowCount(), 5);
    QCOMPARE(notes->item(0, 1)->text(), QStringLiteral("4"));
    QVERIFY(notes->item(0, 2)->text().contains(QStringLiteral("[Creatures]")));
    QCOMPARE(notes->item(1, 0)->text(), QStringLiteral("2.txt"));
    QCOMPARE(notes->item(1, 1)->text(), QString());
    QVERIFY(notes->item(1, 2)->text().startsWith(QStringLiteral("警告: ")));
    QCOMPARE(notes->item(2, 2)->text(), QStringLiteral("not a card line"));
    QCOMPARE(notes->item(3, 2)->text(), QStringLiteral("4 Goblin"));  // under the unknown heading
    QCOMPARE(notes->item(4, 2)->text(), QStringLiteral("About"));
    // A double-click shows the deck selected in the main window.
    emit notes->cellDoubleClicked(4, 0);
    QCOMPARE(selectedFile(w), 1);
}

// With deck results the table gains their columns after the usual ones; a
// card held by too few decks shows its figures greyed, and the metagame
// chart leaves it out (and a card without games), saying how many.
void AnalysisWindowTest::resultsFollowTheColumnsGreyedForSmallSamplesAndLeftOutOfTheMetagame() {
    const auto report = knownReport();
    report->cards[0].results = sormel::ResultFigures{.resultDecks = 12, .winRate = 6250, .winRateLow = 4095,
                                                     .winRateHigh = 8002, .topDecks = 3};
    report->cards[1].results = sormel::ResultFigures{.resultDecks = 2, .winRate = 5000, .smallSample = true};
    report->cards[2].results = sormel::ResultFigures{.resultDecks = 11};  // no games
    report->cards[3].results = sormel::ResultFigures{.smallSample = true};
    sormel::CardFiguresModel cards;
    cards.setReport(report, false);
    QCOMPARE(cards.columnCount(), 16 + 8);
    QCOMPARE(cards.headerData(16, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("成績デッキ"));
    QCOMPARE(cards.headerData(23, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("上位進出率"));
    QCOMPARE(cards.index(0, 17).data().toString(), QStringLiteral("62.50"));
    QVERIFY(!cards.index(0, 17).data(Qt::ForegroundRole).isValid());
    QVERIFY(cards.index(1, 17).data(Qt::ForegroundRole).isValid());
    QVERIFY(!cards.index(1, 2).data(Qt::ForegroundRole).isValid());  // the usage figures are not greyed

    sormel::ReportData data;
    data.report = *report;
    const sormel::MetagamePoints shown = sormel::metagamePoints(data);
    QVERIFY(!shown.types);
    QCOMPARE(shown.points.size(), std::size_t{1});
    QCOMPARE(shown.points[0].label, QStringLiteral("Ａｌｐｈａ"));
    QCOMPARE(shown.points[0].x, 90.0);
    QCOMPARE(shown.points[0].high, 80.02);
    QCOMPARE(shown.leftOut, std::size_t{3});
    QChart* none = sormel::makeMetagameChart(data, QFont());
    QVERIFY(none->series().isEmpty());  // no results in the data
    delete none;
    data.results = sormel::ResultsSummary{};
    QChart* chart = sormel::makeMetagameChart(data, QFont());
    QCOMPARE(chart->series().size(), 2);  // the point and its interval
    QVERIFY(chart->title().contains(QStringLiteral("3 件は除いています")));
    delete chart;
}

void AnalysisWindowTest::aResultsFileAndTheTopCutAreSettingsThatShapeTheAnalysis() {
    Fixture fixture(0);
    writeFile(fixture.path("1.txt"), "1,A-1,Alpha\r\n");
    writeFile(fixture.path("2.txt"), "1,B-1,Beta\r\n");
    const QString results = fixture.path("results.csv");
    writeFile(results, "file,place,wins,losses\r\n1.txt,1,3,1\r\n2.txt,2,1,3\r\n");
    {
        sormel::MainWindow& w = fixture.open();
        AnalysisWindow* analysis = openAnalysis(w);
        QTRY_VERIFY(analysis->result() && !analysis->busy());
        auto* file = analysis->findChild<QLineEdit*>("txtResults");
        file->setText(results);
        file->setModified(true);
        emit file->editingFinished();
        QTRY_VERIFY(analysis->result() && analysis->result()->data.results && !analysis->busy());
        QCOMPARE(analysis->result()->data.results->top, std::int64_t{8});
        const QAbstractItemModel* cards = analysis->findChild<QTableView*>("cardTable")->model();
        QCOMPARE(cards->headerData(cards->columnCount() - 1, Qt::Horizontal).toString(), QStringLiteral("上位進出率"));
        auto* top = analysis->findChild<QSpinBox*>("spnTop");
        top->setValue(1);
        emit top->editingFinished();
        QTRY_VERIFY(analysis->result()->data.results->top == 1 && !analysis->busy());
        QCOMPARE(analysis->result()->data.report.cards[0].results->topDecks, std::int64_t{1});
        analysis->close();
    }
    sormel::MainWindow& w = fixture.open();
    AnalysisWindow* analysis = openAnalysis(w);
    QCOMPARE(analysis->findChild<QLineEdit*>("txtResults")->text(), results);
    QCOMPARE(analysis->findChild<QSpinBox*>("spnTop")->value(), 1);
}

QTEST_MAIN(AnalysisWindowTest)
#include "analysis_window_test.moc"
