// Runs from the main window: what a run locks and shows, a re-run, cancel,
// high-speed mode, a file or a count that fails, sorting, closing.
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleHints>
#include <QTableView>
#include <QTest>
#include <vector>

#include "engine/read_ahead.h"
#include "window/main_window.h"
#include "window_fixture.h"

using namespace window_test;

namespace {

// The controls a run locks, with their enabled states.
std::vector<bool> lockableStates(const sormel::MainWindow& window) {
    const WindowControls c(window);
    return {c.drvList->isEnabled(),    c.dirList->isEnabled(),    c.fleList->isEnabled(), c.cboMask->isEnabled(),
            c.optSort[0]->isEnabled(), c.optSort[1]->isEnabled(), c.chkSide->isEnabled(), c.mfgList->isEnabled(),
            c.cmdExec->isEnabled(),    c.cmdSave->isEnabled()};
}

}  // namespace

class WindowRunsTest : public QObject {
    Q_OBJECT
private slots:
    void fullRunLocksTalliesAndReports();
    void emptyListOnlyShowsItsMessage();
    void rerunAsksFirstAndNoKeepsTheTable();
    void cancelStopsAtTheNextLineWithoutMessage();
    void highSpeedSwitchDuringRunGivesTheSameTable();
    void highSpeedFromTheStartLocksTheCheckBox();
    void fileVanishingDuringRunShowsTheErrorAndStops();
    void sortOptionResortsAtOnce();
    void sortingACountBeyondTheRangeShowsTheError();
    void closingDuringRunStopsItThenCloses();
};

void WindowRunsTest::fullRunLocksTalliesAndReports() {
    Fixture fixture(3);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    writeFile(fixture.path("late.txt"), "only,a header\r\n");  // listed by the run's re-read
    std::vector<bool> duringRun;
    QString exitCaption;
    whenFileStarts(w, 1, [&] {
        duringRun = lockableStates(w);
        exitCaption = c.cmdExit->text();
        duringRun.push_back(c.chkHiSp->isEnabled());
    });
    c.cmdExec->click();
    std::vector<bool> lockedWithHighSpeedOpen(10, false);
    lockedWithHighSpeedOpen.push_back(true);
    QCOMPARE(duringRun, lockedWithHighSpeedOpen);
    QCOMPARE(exitCaption, QStringLiteral("キャンセル(&C)"));
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    // late.txt holds no card: the message says there is something to read.
    QVERIFY(fixture.prompts.messages[0].text.startsWith(kCompleted + QStringLiteral("\r\n")));
    QVERIFY(fixture.prompts.messages[0].text.contains(QStringLiteral("読み込みの注意が 1 件")));
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("完了"));
    QCOMPARE(fixture.prompts.messages[0].icon, MessageIcon::Information);
    QCOMPARE(c.lblListCount->text(), QStringLiteral("4"));
    QCOMPARE(lockableStates(w), std::vector<bool>(10, true));
    QCOMPARE(c.cmdExit->text(), QStringLiteral("終了(&X)"));
    QCOMPARE(selectedFile(w), 3);
    // Decks 0..2 hold 2, 3 and 4 cards plus the side card; N = 4.
    QCOMPARE(c.mfgList->model()->rowCount(), 5);
    QCOMPARE(static_cast<std::size_t>(c.mfgList->model()->rowCount()), w.table().rowCount());
    QCOMPARE(cell(w, 0, 0), QStringLiteral("AB-1"));  // 3 decks, 6 copies
    QCOMPARE(cell(w, 0, 2), QStringLiteral("3"));
    QCOMPARE(cell(w, 0, 4), QStringLiteral("75.00"));
    QCOMPARE(cell(w, 4, 0), QStringLiteral("AB-3"));
    QCOMPARE(
        c.mfgList->model()->index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
        Qt::AlignRight);
}

void WindowRunsTest::emptyListOnlyShowsItsMessage() {
    Fixture fixture(0);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].text, QStringLiteral("集計対象ファイルがありません。"));
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[0].icon, MessageIcon::Critical);
    QVERIFY(!c.cmdSave->isEnabled());
}

void WindowRunsTest::rerunAsksFirstAndNoKeepsTheTable() {
    Fixture fixture(2);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.cmdExec->click();
    const std::size_t rows = w.table().rowCount();
    writeFile(fixture.path("deck9.txt"), deckText(9));
    fixture.prompts.yesNoAnswers = {false};
    c.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{2});
    QCOMPARE(fixture.prompts.messages[1].text, QStringLiteral("結果をクリアして再集計します。\r\nよろしいですか？"));
    QCOMPARE(fixture.prompts.messages[1].title, QStringLiteral("確認"));
    QCOMPARE(fixture.prompts.messages[1].icon, MessageIcon::Question);
    QCOMPARE(w.table().rowCount(), rows);
    QVERIFY(c.cmdSave->isEnabled());
    fixture.prompts.yesNoAnswers = {true};
    // During the run the grid lags behind the table it shows: whatever it
    // reads must be safe.
    QStringList readDuringRun;
    whenFileStarts(w, 1, [&] {
        const QAbstractItemModel* model = c.mfgList->model();
        for (int row = 0; row < model->rowCount(); ++row) readDuringRun << model->index(row, 0).data().toString();
    });
    c.cmdExec->click();
    QVERIFY(!readDuringRun.isEmpty());
    QCOMPARE(fixture.prompts.messages.back().text, kCompleted);
    QCOMPARE(w.table().rowCount(), std::size_t{10});
}

void WindowRunsTest::cancelStopsAtTheNextLineWithoutMessage() {
    Fixture fixture(5);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    bool exitDisabledAfterClick = false;
    whenFileStarts(w, 2, [&] {
        c.cmdExit->click();
        exitDisabledAfterClick = !c.cmdExit->isEnabled();
        c.cmdExit->click();  // a second quick click must not close the window
    });
    c.cmdExec->click();
    QVERIFY(exitDisabledAfterClick);
    QVERIFY(fixture.prompts.messages.empty());
    QVERIFY(w.isVisible());
    QCOMPARE(c.cmdExit->text(), QStringLiteral("終了(&X)"));
    QVERIFY(c.cmdExit->isEnabled());
    QVERIFY(c.cmdSave->isEnabled());
    // Files 0 and 1 were tallied (normal mode: rates with N = 5); file 2 not.
    QVERIFY(!w.table().findCard("AB-3").has_value());
    QCOMPARE(cell(w, 0, 2), QStringLiteral("2"));
    QCOMPARE(cell(w, 0, 4), QStringLiteral("40.00"));
    // Idle again: the exit button closes the window (once a double-click is over).
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 10);
    c.cmdExit->click();
    QVERIFY(!w.isVisible());
}

void WindowRunsTest::highSpeedSwitchDuringRunGivesTheSameTable() {
    std::vector<QString> normalOrder;
    {
        Fixture fixture(12);
        sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
        c.cmdExec->click();
        for (int row = 0; row < c.mfgList->model()->rowCount(); ++row)
            normalOrder.push_back(cell(w, row, 0) + cell(w, row, 5));
    }
    Fixture fixture(12);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    bool checkBoxLockedLater = false;
    whenFileStarts(w, 4, [&] { c.chkHiSp->click(); });
    whenFileStarts(w, 8, [&] { checkBoxLockedLater = !c.chkHiSp->isEnabled(); });
    c.cmdExec->click();
    QVERIFY(checkBoxLockedLater);
    QVERIFY(c.chkHiSp->isChecked() && c.chkHiSp->isEnabled());
    QCOMPARE(fixture.prompts.messages.back().text, kCompleted);
    std::vector<QString> order;
    for (int row = 0; row < c.mfgList->model()->rowCount(); ++row) order.push_back(cell(w, row, 0) + cell(w, row, 5));
    QCOMPARE(order, normalOrder);
}

void WindowRunsTest::highSpeedFromTheStartLocksTheCheckBox() {
    Fixture fixture(3);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.chkHiSp->setChecked(true);
    bool enabledDuringRun = true;
    whenFileStarts(w, 0, [&] { enabledDuringRun = c.chkHiSp->isEnabled(); });
    c.cmdExec->click();
    QVERIFY(!enabledDuringRun);
    QVERIFY(c.chkHiSp->isEnabled());
    QCOMPARE(cell(w, 0, 0), QStringLiteral("AB-1"));
}

void WindowRunsTest::fileVanishingDuringRunShowsTheErrorAndStops() {
    // A file beyond those read ahead while the run is at its first file.
    const int vanishing = static_cast<int>(sormel::ReadAheadLimits{}.files) + 1;
    const QString name = QStringLiteral("deck%1.txt").arg(vanishing, 3, 10, QChar('0'));
    Fixture fixture(vanishing + 1);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    whenFileStarts(w, 0, [&] { QFile::remove(fixture.path(name)); });
    c.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[0].icon, MessageIcon::Critical);
    QVERIFY(fixture.prompts.messages[0].text.contains(name));
    QCOMPARE(selectedFile(w), vanishing);
    QVERIFY(c.cmdSave->isEnabled() && c.cmdExec->isEnabled());
    QCOMPARE(c.cmdExit->text(), QStringLiteral("終了(&X)"));
    QVERIFY(w.table().findCard("AB-2").has_value());  // deck 1 was tallied
}

void WindowRunsTest::sortOptionResortsAtOnce() {
    Fixture fixture(0);
    // By decks "A" leads (3 decks, 3 copies); by copies "B" (1 deck, 4 copies).
    writeFile(fixture.path("1.txt"), "1,A,a\r\n4,B,b\r\n");
    writeFile(fixture.path("2.txt"), "1,A,a\r\n");
    writeFile(fixture.path("3.txt"), "1,A,a\r\n");
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.cmdExec->click();
    QCOMPARE(cell(w, 0, 0), QStringLiteral("A"));
    QTest::mouseClick(c.optSort[0], Qt::LeftButton);
    QVERIFY(c.optSort[0]->isChecked());
    QCOMPARE(cell(w, 0, 0), QStringLiteral("B"));
    QTest::mouseClick(c.optSort[1], Qt::LeftButton);
    QCOMPARE(cell(w, 0, 0), QStringLiteral("A"));
    QCOMPARE(cell(w, 0, 4), QStringLiteral("100.00"));  // rates stay as computed
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
}

void WindowRunsTest::sortingACountBeyondTheRangeShowsTheError() {
    Fixture fixture(0);
    writeFile(fixture.path("huge.txt"), "3000000000,X-1,x\r\n");
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.chkHiSp->setChecked(true);  // the count is first narrowed by the final pass
    c.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QTest::mouseClick(c.optSort[0], Qt::LeftButton);
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{2});
    QCOMPARE(fixture.prompts.messages[1].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[1].icon, MessageIcon::Critical);
    QCOMPARE(cell(w, 0, 0), QStringLiteral("X-1"));
}

void WindowRunsTest::closingDuringRunStopsItThenCloses() {
    Fixture fixture(6);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    whenFileStarts(w, 2, [&] {
        w.close();
        QVERIFY(w.isVisible());  // still winding down
    });
    c.cmdExec->click();
    QVERIFY(!w.isVisible());
    QVERIFY(fixture.prompts.messages.empty());
    QVERIFY(!w.table().findCard("AB-3").has_value());
}

QTEST_MAIN(WindowRunsTest)
#include "window_runs_test.moc"
