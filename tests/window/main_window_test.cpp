// The main window, driven through its controls as a user would drive it:
// start-up, folder and mask selection, runs, cancel, export and sorting.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleHints>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "engine/read_ahead.h"
#include "window/deck_file_list.h"
#include "window/drive_list.h"
#include "window/folder_list.h"
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

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithTheDesignedState();
    void layoutFollowsTheTwipTable();
    void tabOrderFollowsTheDesign();
    void maskChoiceFiltersTheFileList();
    void rejectedMaskEmptiesTheListSilently();
    void openingAFolderMovesListAndCurrentDirectory();
    void missingFolderShowsOneErrorAndKeepsTheOldOne();
    void fullRunLocksTalliesAndReports();
    void emptyListOnlyShowsItsMessage();
    void rerunAsksFirstAndNoKeepsTheTable();
    void cancelStopsAtTheNextLineWithoutMessage();
    void highSpeedSwitchDuringRunGivesTheSameTable();
    void highSpeedFromTheStartLocksTheCheckBox();
    void fileVanishingDuringRunShowsTheErrorAndStops();
    void enterPressesTheStartButtonOnlyWhereItShould();
    void enterInTheFolderListOpensTheFolder();
    void vanishedFolderAtStartShowsTheErrorAndRunsNothing();
    void sortOptionResortsAtOnce();
    void sortingACountBeyondTheRangeShowsTheError();
    void closingDuringRunStopsItThenCloses();
};

void MainWindowTest::startsWithTheDesignedState() {
    Fixture fixture(3);
    writeFile(fixture.path("other.deck"), deckText(1));
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QCOMPARE(w.windowTitle(), QStringLiteral("SORMELカード使用率チェッカー"));
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(c.cmdExec->text(), QStringLiteral("集計開始(&R)"));
    QCOMPARE(c.cmdExit->text(), QStringLiteral("終了(&X)"));
    QVERIFY(!c.cmdSave->isEnabled());
    QVERIFY(c.optSort[1]->isChecked() && !c.optSort[0]->isChecked());
    QVERIFY(c.chkSide->isChecked() && !c.chkHiSp->isChecked());
    QCOMPARE(c.cboMask->currentText(), QStringLiteral("*.txt"));
    // The three masks of old, then the deck-list formats the program reads too.
    QCOMPARE(c.cboMask->count(), 5);
    QCOMPARE(c.cboMask->itemText(1), QStringLiteral("*.deck"));
    QCOMPARE(c.cboMask->itemText(2), QStringLiteral("*.*"));
    QCOMPARE(c.cboMask->itemText(3), QStringLiteral("*.dek"));
    QCOMPARE(c.cboMask->itemText(4), QStringLiteral("*.ydk"));
    QCOMPARE(c.lblListCount->text(), QStringLiteral("3"));
    QCOMPARE(c.mfgList->model()->rowCount(), 1);
    QCOMPARE(c.mfgList->model()->columnCount(), 6);
    for (int column = 0; column < 6; ++column) QVERIFY(cell(w, 0, column).isEmpty());
    QCOMPARE(c.mfgList->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("カード名称"));
    QCOMPARE(c.mfgList->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("使用(%)"));
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), c.cmdExec);
    // Sorting the blank table leaves it blank.
    QTest::mouseClick(c.optSort[0], Qt::LeftButton);
    QCOMPARE(c.mfgList->model()->rowCount(), 1);
    QVERIFY(cell(w, 0, 2).isEmpty());
    QTest::mouseClick(c.optSort[1], Qt::LeftButton);
    // Alt+S does nothing while the save button is disabled. (An access key
    // presses its button with a short animation.)
    QTest::keyClick(w.windowHandle(), Qt::Key_S, Qt::AltModifier);
    QTest::qWait(250);
    QVERIFY(fixture.prompts.saveRequests.empty());
    QVERIFY(fixture.prompts.messages.empty());
    // Alt+R starts a run, after which Alt+S opens the save dialog.
    QTest::keyClick(w.windowHandle(), Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QTest::keyClick(w.windowHandle(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(fixture.prompts.saveRequests.size(), std::size_t{1});
}

void MainWindowTest::layoutFollowsTheTwipTable() {
    Fixture fixture;
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    const double perTwip = w.screen()->logicalDotsPerInchX() / 1440.0;
    auto px = [&](int twips) { return static_cast<int>(std::lround(twips * perTwip)); };
    QCOMPARE(w.width(), px(6495));
    QCOMPARE(c.mfgList->geometry().left(), px(120));
    QCOMPARE(c.mfgList->geometry().right() + 1, px(6375));
    QCOMPARE(c.cmdSave->geometry().top(), px(1080));
    QCOMPARE(c.fleList->geometry().left(), px(2520));
    QCOMPARE(c.mfgList->columnWidth(1), px(2390));
    QCOMPARE(c.mfgList->columnWidth(5), px(700));
    // The count's label lies under the mask box, and the caption beside it.
    QVERIFY(c.lblListCount->geometry().intersects(c.cboMask->geometry()));
    QCOMPARE(c.lblListCount->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

void MainWindowTest::tabOrderFollowsTheDesign() {
    Fixture fixture;
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const std::vector<QWidget*> expected{c.mfgList, c.dirList,    c.drvList, c.cboMask, c.fleList,
                                         c.cmdExit, c.optSort[1], c.chkSide, c.chkHiSp, c.cmdExec};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focus == next || next->isAncestorOf(focus), qPrintable(focus->metaObject()->className()));
    }
}

void MainWindowTest::maskChoiceFiltersTheFileList() {
    Fixture fixture(5);
    writeFile(fixture.path("a.deck"), deckText(1));
    writeFile(fixture.path("b.DECK"), deckText(1));
    writeFile(fixture.path(".hidden.txt"), deckText(1));
    QDir(fixture.path("")).mkdir("sub.txt");
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QCOMPARE(c.lblListCount->text(), QStringLiteral("5"));
    const std::pair<int, const char*> picks[] = {{1, "2"}, {2, "7"}, {0, "5"}};
    for (const auto& [item, count] : picks) {
        c.cboMask->setCurrentIndex(item);
        emit c.cboMask->activated(item);
        QCOMPARE(c.lblListCount->text(), QString::fromLatin1(count));
        QCOMPARE(c.fleList->count(), QString::fromLatin1(count).toULongLong());
    }
    c.cboMask->lineEdit()->clear();
    QTest::keyClicks(c.cboMask->lineEdit(), "deck*.txt;*.deck");
    QCOMPARE(c.lblListCount->text(), QStringLiteral("7"));
    QCOMPARE(c.fleList->model()->index(0, 0).data().toString(), QStringLiteral("a.deck"));
    QVERIFY(fixture.prompts.messages.empty());
}

void MainWindowTest::rejectedMaskEmptiesTheListSilently() {
    Fixture fixture(2);
    writeFile(fixture.path("@"), "");
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.cboMask->lineEdit()->clear();
    QTest::keyClicks(c.cboMask->lineEdit(), "x/*.txt");
    // The blocking pattern lists only a file named "@".
    QCOMPARE(c.lblListCount->text(), QStringLiteral("1"));
    QFile::remove(fixture.path("@"));
    QTest::keyClicks(c.cboMask->lineEdit(), "x");
    QCOMPARE(c.lblListCount->text(), QStringLiteral("0"));
    QVERIFY(fixture.prompts.messages.empty());
    // The block stays when another folder is opened.
    QDir(fixture.path("")).mkdir("sub");
    writeFile(fixture.path("sub/x.txt"), deckText(1));
    c.dirList->setPath(fixture.path("sub").toStdString());
    QCOMPARE(c.lblListCount->text(), QStringLiteral("0"));
    c.cboMask->lineEdit()->clear();
    QTest::keyClicks(c.cboMask->lineEdit(), "*.TXT");
    QCOMPARE(c.lblListCount->text(), QStringLiteral("1"));
}

void MainWindowTest::openingAFolderMovesListAndCurrentDirectory() {
    Fixture fixture(1);
    QDir(fixture.path("")).mkdir("more");
    for (int i = 0; i < 4; ++i) writeFile(fixture.path(QStringLiteral("more/%1.txt").arg(i)), deckText(1));
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    // The open folder's sub-folders are listed under it; activating one opens it.
    QTreeWidgetItem* more = c.dirList->findItems("more", Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QVERIFY(more);
    emit c.dirList->itemActivated(more, 0);
    QCOMPARE(c.lblListCount->text(), QStringLiteral("4"));
    QCOMPARE(QDir::currentPath(), QDir(fixture.path("more")).canonicalPath());
    QCOMPARE(c.fleList->path(), std::filesystem::path(fixture.path("more").toStdString()));
    // The chain up to the root stays reachable: open the parent again.
    QTreeWidgetItem* parent = c.dirList->currentItem()->parent();
    emit c.dirList->itemActivated(parent, 0);
    QCOMPARE(c.lblListCount->text(), QStringLiteral("1"));
    // The drives are folders, none of them the kernel's own.
    for (int i = 0; i < c.drvList->count(); ++i) {
        QVERIFY(QFileInfo(c.drvList->itemText(i)).isDir());
        QVERIFY(!c.drvList->itemText(i).startsWith("/proc"));
    }
    // Picking a drive opens its root.
    emit c.drvList->driveChanged();
    QCOMPARE(c.dirList->path(), c.drvList->selectedDrive());
    QVERIFY(fixture.prompts.messages.empty());
}

void MainWindowTest::missingFolderShowsOneErrorAndKeepsTheOldOne() {
    Fixture fixture(2);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    const std::filesystem::path before = c.dirList->path();
    emit c.dirList->openRequested(fixture.path("gone").toStdString());
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[0].icon, MessageIcon::Critical);
    QVERIFY(fixture.prompts.messages[0].text.contains("gone"));
    QCOMPARE(c.dirList->path(), before);
    QCOMPARE(c.lblListCount->text(), QStringLiteral("2"));
    QCOMPARE(QDir::currentPath(), QDir(fixture.path("")).canonicalPath());
}

void MainWindowTest::fullRunLocksTalliesAndReports() {
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
    QCOMPARE(fixture.prompts.messages[0].text, kCompleted);
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

void MainWindowTest::emptyListOnlyShowsItsMessage() {
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

void MainWindowTest::rerunAsksFirstAndNoKeepsTheTable() {
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

void MainWindowTest::cancelStopsAtTheNextLineWithoutMessage() {
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

void MainWindowTest::highSpeedSwitchDuringRunGivesTheSameTable() {
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

void MainWindowTest::highSpeedFromTheStartLocksTheCheckBox() {
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

void MainWindowTest::fileVanishingDuringRunShowsTheErrorAndStops() {
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

void MainWindowTest::enterPressesTheStartButtonOnlyWhereItShould() {
    Fixture fixture(2);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    c.chkSide->setFocus();
    QTest::keyClick(c.chkSide, Qt::Key_Return);
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].text, kCompleted);
    QVERIFY(c.chkSide->isChecked());
    // From the mask box too; now the re-run question comes first.
    c.cboMask->setFocus();
    QTest::keyClick(c.cboMask->lineEdit(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{2});
    QCOMPARE(fixture.prompts.messages[1].icon, MessageIcon::Question);
    QCOMPARE(c.cboMask->count(), 5);
    // Nothing while the start button is disabled (during a run).
    fixture.prompts.yesNoAnswers = {true};
    std::size_t messagesDuringRun = 0;
    whenFileStarts(w, 1, [&] {
        QTest::keyClick(c.fleList, Qt::Key_Return);
        messagesDuringRun = fixture.prompts.messages.size();
    });
    c.cmdExec->click();
    QCOMPARE(messagesDuringRun, std::size_t{3});  // just the question
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{4});
}

void MainWindowTest::enterInTheFolderListOpensTheFolder() {
    Fixture fixture(1);
    QDir(fixture.path("")).mkdir("inner");
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    c.dirList->setFocus();
    c.dirList->setCurrentItem(c.dirList->findItems("inner", Qt::MatchExactly | Qt::MatchRecursive).value(0));
    QTest::keyClick(c.dirList, Qt::Key_Return);
    QCOMPARE(QDir::currentPath(), QDir(fixture.path("inner")).canonicalPath());
    QCOMPARE(c.lblListCount->text(), QStringLiteral("0"));
    QVERIFY(fixture.prompts.messages.empty());  // no run was started
}

void MainWindowTest::vanishedFolderAtStartShowsTheErrorAndRunsNothing() {
    Fixture fixture(1);
    QDir(fixture.path("")).mkdir("doomed");
    writeFile(fixture.path("doomed/a.txt"), deckText(2));
    QDir::setCurrent(fixture.path("doomed"));
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QCOMPARE(c.lblListCount->text(), QStringLiteral("1"));
    QVERIFY(QDir(fixture.path("doomed")).removeRecursively());
    c.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[0].icon, MessageIcon::Critical);
    QCOMPARE(c.lblListCount->text(), QStringLiteral("0"));
    QVERIFY(!c.cmdSave->isEnabled());
    QVERIFY(c.cmdExec->isEnabled());
}

void MainWindowTest::sortOptionResortsAtOnce() {
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

void MainWindowTest::sortingACountBeyondTheRangeShowsTheError() {
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

void MainWindowTest::closingDuringRunStopsItThenCloses() {
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

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
