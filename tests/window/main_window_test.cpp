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
#include "scripted_prompts.h"

namespace {

using sormel::MessageIcon;

const QString kCompleted = QStringLiteral("集計が完了しました。");

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A deck whose card `i` of `cards` appears with `i + 1` copies, plus a side part.
QByteArray deckText(int cards, const QByteArray& sideCard = "SD-001") {
    QByteArray text = "count,number,name\r\n";
    for (int i = 0; i < cards; ++i)
        text +=
            QByteArray::number(i % 3 + 1) + ",AB-" + QByteArray::number(i) + ",Card " + QByteArray::number(i) + "\r\n";
    text += "--\r\n2," + sideCard + ",Side card\r\n";
    return text;
}

// A fresh folder of deck files that is the current directory while the
// window lives.
class Fixture {
public:
    explicit Fixture(int decks = 3) {
        previous_ = QDir::currentPath();
        for (int d = 0; d < decks; ++d)
            writeFile(path(QStringLiteral("deck%1.txt").arg(d, 3, 10, QChar('0'))), deckText(d + 2));
        QDir::setCurrent(folder_.path());
    }
    ~Fixture() { QDir::setCurrent(previous_); }

    QString path(const QString& name) const { return folder_.filePath(name); }
    frmMain& open() {
        window_ = std::make_unique<frmMain>(prompts);
        window_->show();
        return *window_;
    }
    frmMain& window() { return *window_; }

    ScriptedPrompts prompts;

private:
    QTemporaryDir folder_;
    QString previous_;
    std::unique_ptr<frmMain> window_;
};

// Runs `action` inside the run's event processing, just before the first
// line of file `position` is read.
void whenFileStarts(frmMain& window, int position, std::function<void()> action) {
    auto fired = std::make_shared<bool>(false);
    QObject::connect(&window, &frmMain::fileReadingStarted, &window, [=](qsizetype index) {
        if (*fired || index != position) return;
        *fired = true;
        QTimer::singleShot(0, action);
    });
}

int selectedFile(const frmMain& window) { return window.fleList->currentIndex().row(); }

QString cell(const frmMain& window, int row, int column) {
    return window.mfgList->model()->index(row, column).data().toString();
}

// The controls a run locks, with their enabled states.
std::vector<bool> lockableStates(const frmMain& w) {
    return {w.drvList->isEnabled(),    w.dirList->isEnabled(),    w.fleList->isEnabled(), w.cboMask->isEnabled(),
            w.optSort[0]->isEnabled(), w.optSort[1]->isEnabled(), w.chkSide->isEnabled(), w.mfgList->isEnabled(),
            w.cmdExec->isEnabled(),    w.cmdSave->isEnabled()};
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
    void openingInAVanishedFolderShowsTheErrorOnce();
    void saveWritesTheGridAndCancelWritesNothing();
    void saveFailureShowsTheError();
    void sortOptionResortsAtOnce();
    void sortingACountBeyondTheRangeShowsTheError();
    void closingDuringRunStopsItThenCloses();
};

void MainWindowTest::startsWithTheDesignedState() {
    Fixture fixture(3);
    writeFile(fixture.path("other.deck"), deckText(1));
    frmMain& w = fixture.open();
    QCOMPARE(w.windowTitle(), QStringLiteral("SORMELカード使用率チェッカー"));
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.cmdExec->text(), QStringLiteral("集計開始(&R)"));
    QCOMPARE(w.cmdExit->text(), QStringLiteral("終了(&X)"));
    QVERIFY(!w.cmdSave->isEnabled());
    QVERIFY(w.optSort[1]->isChecked() && !w.optSort[0]->isChecked());
    QVERIFY(w.chkSide->isChecked() && !w.chkHiSp->isChecked());
    QCOMPARE(w.cboMask->currentText(), QStringLiteral("*.txt"));
    QCOMPARE(w.cboMask->count(), 3);
    QCOMPARE(w.cboMask->itemText(1), QStringLiteral("*.deck"));
    QCOMPARE(w.lblListCount->text(), QStringLiteral("3"));
    QCOMPARE(w.mfgList->model()->rowCount(), 1);
    QCOMPARE(w.mfgList->model()->columnCount(), 6);
    for (int column = 0; column < 6; ++column) QVERIFY(cell(w, 0, column).isEmpty());
    QCOMPARE(w.mfgList->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("カード名称"));
    QCOMPARE(w.mfgList->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("使用(%)"));
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), w.cmdExec);
    // Sorting the blank table leaves it blank.
    QTest::mouseClick(w.optSort[0], Qt::LeftButton);
    QCOMPARE(w.mfgList->model()->rowCount(), 1);
    QVERIFY(cell(w, 0, 2).isEmpty());
    QTest::mouseClick(w.optSort[1], Qt::LeftButton);
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
    frmMain& w = fixture.open();
    const double perTwip = w.screen()->logicalDotsPerInchX() / 1440.0;
    auto px = [&](int twips) { return static_cast<int>(std::lround(twips * perTwip)); };
    QCOMPARE(w.width(), px(6495));
    QCOMPARE(w.mfgList->geometry().left(), px(120));
    QCOMPARE(w.mfgList->geometry().right() + 1, px(6375));
    QCOMPARE(w.cmdSave->geometry().top(), px(1080));
    QCOMPARE(w.fleList->geometry().left(), px(2520));
    QCOMPARE(w.mfgList->columnWidth(1), px(2390));
    QCOMPARE(w.mfgList->columnWidth(5), px(700));
    // The count's label lies under the mask box, and the caption beside it.
    QVERIFY(w.lblListCount->geometry().intersects(w.cboMask->geometry()));
    QCOMPARE(w.lblListCount->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

void MainWindowTest::tabOrderFollowsTheDesign() {
    Fixture fixture;
    frmMain& w = fixture.open();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const std::vector<QWidget*> expected{w.mfgList, w.dirList,    w.drvList, w.cboMask, w.fleList,
                                         w.cmdExit, w.optSort[1], w.chkSide, w.chkHiSp, w.cmdExec};
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
    frmMain& w = fixture.open();
    QCOMPARE(w.lblListCount->text(), QStringLiteral("5"));
    const std::pair<int, const char*> picks[] = {{1, "2"}, {2, "7"}, {0, "5"}};
    for (const auto& [item, count] : picks) {
        w.cboMask->setCurrentIndex(item);
        emit w.cboMask->activated(item);
        QCOMPARE(w.lblListCount->text(), QString::fromLatin1(count));
        QCOMPARE(w.fleList->count(), QString::fromLatin1(count).toULongLong());
    }
    w.cboMask->lineEdit()->clear();
    QTest::keyClicks(w.cboMask->lineEdit(), "deck*.txt;*.deck");
    QCOMPARE(w.lblListCount->text(), QStringLiteral("7"));
    QCOMPARE(w.fleList->model()->index(0, 0).data().toString(), QStringLiteral("a.deck"));
    QVERIFY(fixture.prompts.messages.empty());
}

void MainWindowTest::rejectedMaskEmptiesTheListSilently() {
    Fixture fixture(2);
    writeFile(fixture.path("@"), "");
    frmMain& w = fixture.open();
    w.cboMask->lineEdit()->clear();
    QTest::keyClicks(w.cboMask->lineEdit(), "x/*.txt");
    // The blocking pattern lists only a file named "@".
    QCOMPARE(w.lblListCount->text(), QStringLiteral("1"));
    QFile::remove(fixture.path("@"));
    QTest::keyClicks(w.cboMask->lineEdit(), "x");
    QCOMPARE(w.lblListCount->text(), QStringLiteral("0"));
    QVERIFY(fixture.prompts.messages.empty());
    // The block stays when another folder is opened.
    QDir(fixture.path("")).mkdir("sub");
    writeFile(fixture.path("sub/x.txt"), deckText(1));
    w.dirList->setPath(fixture.path("sub").toStdString());
    QCOMPARE(w.lblListCount->text(), QStringLiteral("0"));
    w.cboMask->lineEdit()->clear();
    QTest::keyClicks(w.cboMask->lineEdit(), "*.TXT");
    QCOMPARE(w.lblListCount->text(), QStringLiteral("1"));
}

void MainWindowTest::openingAFolderMovesListAndCurrentDirectory() {
    Fixture fixture(1);
    QDir(fixture.path("")).mkdir("more");
    for (int i = 0; i < 4; ++i) writeFile(fixture.path(QStringLiteral("more/%1.txt").arg(i)), deckText(1));
    frmMain& w = fixture.open();
    // The open folder's sub-folders are listed under it; activating one opens it.
    QTreeWidgetItem* more = w.dirList->findItems("more", Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QVERIFY(more);
    emit w.dirList->itemActivated(more, 0);
    QCOMPARE(w.lblListCount->text(), QStringLiteral("4"));
    QCOMPARE(QDir::currentPath(), QDir(fixture.path("more")).canonicalPath());
    QCOMPARE(w.fleList->path(), std::filesystem::path(fixture.path("more").toStdString()));
    // The chain up to the root stays reachable: open the parent again.
    QTreeWidgetItem* parent = w.dirList->currentItem()->parent();
    emit w.dirList->itemActivated(parent, 0);
    QCOMPARE(w.lblListCount->text(), QStringLiteral("1"));
    // The drives are folders, none of them the kernel's own.
    for (int i = 0; i < w.drvList->count(); ++i) {
        QVERIFY(QFileInfo(w.drvList->itemText(i)).isDir());
        QVERIFY(!w.drvList->itemText(i).startsWith("/proc"));
    }
    // Picking a drive opens its root.
    emit w.drvList->driveChanged();
    QCOMPARE(w.dirList->path(), w.drvList->selectedDrive());
    QVERIFY(fixture.prompts.messages.empty());
}

void MainWindowTest::missingFolderShowsOneErrorAndKeepsTheOldOne() {
    Fixture fixture(2);
    frmMain& w = fixture.open();
    const std::filesystem::path before = w.dirList->path();
    emit w.dirList->openRequested(fixture.path("gone").toStdString());
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[0].icon, MessageIcon::Critical);
    QVERIFY(fixture.prompts.messages[0].text.contains("gone"));
    QCOMPARE(w.dirList->path(), before);
    QCOMPARE(w.lblListCount->text(), QStringLiteral("2"));
    QCOMPARE(QDir::currentPath(), QDir(fixture.path("")).canonicalPath());
}

void MainWindowTest::fullRunLocksTalliesAndReports() {
    Fixture fixture(3);
    frmMain& w = fixture.open();
    writeFile(fixture.path("late.txt"), "only,a header\r\n");  // listed by the run's re-read
    std::vector<bool> duringRun;
    QString exitCaption;
    whenFileStarts(w, 1, [&] {
        duringRun = lockableStates(w);
        exitCaption = w.cmdExit->text();
        duringRun.push_back(w.chkHiSp->isEnabled());
    });
    w.cmdExec->click();
    std::vector<bool> lockedWithHighSpeedOpen(10, false);
    lockedWithHighSpeedOpen.push_back(true);
    QCOMPARE(duringRun, lockedWithHighSpeedOpen);
    QCOMPARE(exitCaption, QStringLiteral("キャンセル(&C)"));
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].text, kCompleted);
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("完了"));
    QCOMPARE(fixture.prompts.messages[0].icon, MessageIcon::Information);
    QCOMPARE(w.lblListCount->text(), QStringLiteral("4"));
    QCOMPARE(lockableStates(w), std::vector<bool>(10, true));
    QCOMPARE(w.cmdExit->text(), QStringLiteral("終了(&X)"));
    QCOMPARE(selectedFile(w), 3);
    // Decks 0..2 hold 2, 3 and 4 cards plus the side card; N = 4.
    QCOMPARE(w.mfgList->model()->rowCount(), 5);
    QCOMPARE(static_cast<std::size_t>(w.mfgList->model()->rowCount()), w.table().rowCount());
    QCOMPARE(cell(w, 0, 0), QStringLiteral("AB-1"));  // 3 decks, 6 copies
    QCOMPARE(cell(w, 0, 2), QStringLiteral("3"));
    QCOMPARE(cell(w, 0, 4), QStringLiteral("75.00"));
    QCOMPARE(cell(w, 4, 0), QStringLiteral("AB-3"));
    QCOMPARE(
        w.mfgList->model()->index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
        Qt::AlignRight);
}

void MainWindowTest::emptyListOnlyShowsItsMessage() {
    Fixture fixture(0);
    frmMain& w = fixture.open();
    w.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].text, QStringLiteral("集計対象ファイルがありません。"));
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[0].icon, MessageIcon::Critical);
    QVERIFY(!w.cmdSave->isEnabled());
}

void MainWindowTest::rerunAsksFirstAndNoKeepsTheTable() {
    Fixture fixture(2);
    frmMain& w = fixture.open();
    w.cmdExec->click();
    const std::size_t rows = w.table().rowCount();
    writeFile(fixture.path("deck9.txt"), deckText(9));
    fixture.prompts.yesNoAnswers = {false};
    w.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{2});
    QCOMPARE(fixture.prompts.messages[1].text, QStringLiteral("結果をクリアして再集計します。\r\nよろしいですか？"));
    QCOMPARE(fixture.prompts.messages[1].title, QStringLiteral("確認"));
    QCOMPARE(fixture.prompts.messages[1].icon, MessageIcon::Question);
    QCOMPARE(w.table().rowCount(), rows);
    QVERIFY(w.cmdSave->isEnabled());
    fixture.prompts.yesNoAnswers = {true};
    // The run has reset the table, the grid has not caught up yet: whatever
    // it reads must be safe.
    QStringList readDuringRun;
    whenFileStarts(w, 1, [&] {
        const QAbstractItemModel* model = w.mfgList->model();
        for (int row = 0; row < model->rowCount(); ++row) readDuringRun << model->index(row, 0).data().toString();
    });
    w.cmdExec->click();
    QCOMPARE(readDuringRun.size(), static_cast<qsizetype>(rows));
    QCOMPARE(fixture.prompts.messages.back().text, kCompleted);
    QCOMPARE(w.table().rowCount(), std::size_t{10});
}

void MainWindowTest::cancelStopsAtTheNextLineWithoutMessage() {
    Fixture fixture(5);
    frmMain& w = fixture.open();
    bool exitDisabledAfterClick = false;
    whenFileStarts(w, 2, [&] {
        w.cmdExit->click();
        exitDisabledAfterClick = !w.cmdExit->isEnabled();
        w.cmdExit->click();  // a second quick click must not close the window
    });
    w.cmdExec->click();
    QVERIFY(exitDisabledAfterClick);
    QVERIFY(fixture.prompts.messages.empty());
    QVERIFY(w.isVisible());
    QCOMPARE(w.cmdExit->text(), QStringLiteral("終了(&X)"));
    QVERIFY(w.cmdExit->isEnabled());
    QVERIFY(w.cmdSave->isEnabled());
    // Files 0 and 1 were tallied (normal mode: rates with N = 5); file 2 not.
    QVERIFY(!w.table().findCard("AB-3").has_value());
    QCOMPARE(cell(w, 0, 2), QStringLiteral("2"));
    QCOMPARE(cell(w, 0, 4), QStringLiteral("40.00"));
    // Idle again: the exit button closes the window.
    w.cmdExit->click();
    QVERIFY(!w.isVisible());
}

void MainWindowTest::highSpeedSwitchDuringRunGivesTheSameTable() {
    std::vector<QString> normalOrder;
    {
        Fixture fixture(12);
        frmMain& w = fixture.open();
        w.cmdExec->click();
        for (int row = 0; row < w.mfgList->model()->rowCount(); ++row)
            normalOrder.push_back(cell(w, row, 0) + cell(w, row, 5));
    }
    Fixture fixture(12);
    frmMain& w = fixture.open();
    bool checkBoxLockedLater = false;
    whenFileStarts(w, 4, [&] { w.chkHiSp->click(); });
    whenFileStarts(w, 8, [&] { checkBoxLockedLater = !w.chkHiSp->isEnabled(); });
    w.cmdExec->click();
    QVERIFY(checkBoxLockedLater);
    QVERIFY(w.chkHiSp->isChecked() && w.chkHiSp->isEnabled());
    QCOMPARE(fixture.prompts.messages.back().text, kCompleted);
    std::vector<QString> order;
    for (int row = 0; row < w.mfgList->model()->rowCount(); ++row) order.push_back(cell(w, row, 0) + cell(w, row, 5));
    QCOMPARE(order, normalOrder);
}

void MainWindowTest::highSpeedFromTheStartLocksTheCheckBox() {
    Fixture fixture(3);
    frmMain& w = fixture.open();
    w.chkHiSp->setChecked(true);
    bool enabledDuringRun = true;
    whenFileStarts(w, 0, [&] { enabledDuringRun = w.chkHiSp->isEnabled(); });
    w.cmdExec->click();
    QVERIFY(!enabledDuringRun);
    QVERIFY(w.chkHiSp->isEnabled());
    QCOMPARE(cell(w, 0, 0), QStringLiteral("AB-1"));
}

void MainWindowTest::fileVanishingDuringRunShowsTheErrorAndStops() {
    // A file beyond those read ahead while the run is at its first file.
    const int vanishing = static_cast<int>(sormel::ReadAheadLimits{}.files) + 1;
    const QString name = QStringLiteral("deck%1.txt").arg(vanishing, 3, 10, QChar('0'));
    Fixture fixture(vanishing + 1);
    frmMain& w = fixture.open();
    whenFileStarts(w, 0, [&] { QFile::remove(fixture.path(name)); });
    w.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[0].icon, MessageIcon::Critical);
    QVERIFY(fixture.prompts.messages[0].text.contains(name));
    QCOMPARE(selectedFile(w), vanishing);
    QVERIFY(w.cmdSave->isEnabled() && w.cmdExec->isEnabled());
    QCOMPARE(w.cmdExit->text(), QStringLiteral("終了(&X)"));
    QVERIFY(w.table().findCard("AB-2").has_value());  // deck 1 was tallied
}

void MainWindowTest::enterPressesTheStartButtonOnlyWhereItShould() {
    Fixture fixture(2);
    frmMain& w = fixture.open();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.cmdExit->setFocus();
    QTest::keyClick(w.cmdExit, Qt::Key_Return);
    QVERIFY(fixture.prompts.messages.empty());
    QVERIFY(w.isVisible());
    w.chkSide->setFocus();
    QTest::keyClick(w.chkSide, Qt::Key_Return);
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].text, kCompleted);
    QVERIFY(w.chkSide->isChecked());
    // From the mask box too; now the re-run question comes first.
    w.cboMask->setFocus();
    QTest::keyClick(w.cboMask->lineEdit(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{2});
    QCOMPARE(fixture.prompts.messages[1].icon, MessageIcon::Question);
    QCOMPARE(w.cboMask->count(), 3);
    // Nothing while the start button is disabled (during a run).
    fixture.prompts.yesNoAnswers = {true};
    std::size_t messagesDuringRun = 0;
    whenFileStarts(w, 1, [&] {
        QTest::keyClick(w.fleList, Qt::Key_Return);
        messagesDuringRun = fixture.prompts.messages.size();
    });
    w.cmdExec->click();
    QCOMPARE(messagesDuringRun, std::size_t{3});  // just the question
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{4});
}

void MainWindowTest::enterInTheFolderListOpensTheFolder() {
    Fixture fixture(1);
    QDir(fixture.path("")).mkdir("inner");
    frmMain& w = fixture.open();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.dirList->setFocus();
    w.dirList->setCurrentItem(w.dirList->findItems("inner", Qt::MatchExactly | Qt::MatchRecursive).value(0));
    QTest::keyClick(w.dirList, Qt::Key_Return);
    QCOMPARE(QDir::currentPath(), QDir(fixture.path("inner")).canonicalPath());
    QCOMPARE(w.lblListCount->text(), QStringLiteral("0"));
    QVERIFY(fixture.prompts.messages.empty());  // no run was started
}

void MainWindowTest::vanishedFolderAtStartShowsTheErrorAndRunsNothing() {
    Fixture fixture(1);
    QDir(fixture.path("")).mkdir("doomed");
    writeFile(fixture.path("doomed/a.txt"), deckText(2));
    QDir::setCurrent(fixture.path("doomed"));
    frmMain& w = fixture.open();
    QCOMPARE(w.lblListCount->text(), QStringLiteral("1"));
    QVERIFY(QDir(fixture.path("doomed")).removeRecursively());
    w.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[0].icon, MessageIcon::Critical);
    QCOMPARE(w.lblListCount->text(), QStringLiteral("0"));
    QVERIFY(!w.cmdSave->isEnabled());
    QVERIFY(w.cmdExec->isEnabled());
}

void MainWindowTest::openingInAVanishedFolderShowsTheErrorOnce() {
    Fixture fixture(0);
    QDir(fixture.path("")).mkdir("doomed");
    QDir::setCurrent(fixture.path("doomed"));
    QVERIFY(QDir(fixture.path("doomed")).removeRecursively());
    frmMain& w = fixture.open();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QCOMPARE(w.lblListCount->text(), QStringLiteral("0"));
    QVERIFY(w.dirList->topLevelItemCount() > 0);
}

void MainWindowTest::saveWritesTheGridAndCancelWritesNothing() {
    Fixture fixture(2);
    frmMain& w = fixture.open();
    w.cmdExec->click();
    w.cmdSave->click();  // the dialog is cancelled
    QCOMPARE(fixture.prompts.saveRequests.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.saveRequests[0].folder, QDir::currentPath());
    QCOMPARE(fixture.prompts.saveRequests[0].filters, QStringLiteral("CSVファイル (*.csv);;すべてのファイル (*.*)"));
    QCOMPARE(fixture.prompts.saveRequests[0].proposedName, QStringLiteral("集計結果.csv"));
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QVERIFY(!QFile::exists(fixture.path("集計結果.csv")));

    const QString target = fixture.path("集計結果.csv");
    writeFile(target, "old content that is much longer than the new one would be, surely\r\n");
    fixture.prompts.saveAnswers = {target};
    w.cmdSave->click();
    QCOMPARE(fixture.prompts.messages.back().text, QStringLiteral("保存が完了しました。"));
    QCOMPARE(fixture.prompts.messages.back().title, QStringLiteral("完了"));
    QCOMPARE(fixture.prompts.messages.back().icon, MessageIcon::Information);
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    QCOMPARE(lines.size(), w.mfgList->model()->rowCount() + 1);  // CR LF after the last line too
    QCOMPARE(lines[0], QByteArray("\"AB-1\",\"Card 1\",2,4,100,66.67\r"));
    // The second save proposes the same name again.
    w.cmdSave->click();
    QCOMPARE(fixture.prompts.saveRequests.back().proposedName, QStringLiteral("集計結果.csv"));
}

void MainWindowTest::saveFailureShowsTheError() {
    Fixture fixture(1);
    frmMain& w = fixture.open();
    w.cmdExec->click();
    fixture.prompts.saveAnswers = {fixture.path("no/such/folder/out.csv")};
    w.cmdSave->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{2});
    QCOMPARE(fixture.prompts.messages[1].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[1].icon, MessageIcon::Critical);
    QVERIFY(!fixture.prompts.messages[1].text.isEmpty());
}

void MainWindowTest::sortOptionResortsAtOnce() {
    Fixture fixture(0);
    // By decks "A" leads (3 decks, 3 copies); by copies "B" (1 deck, 4 copies).
    writeFile(fixture.path("1.txt"), "1,A,a\r\n4,B,b\r\n");
    writeFile(fixture.path("2.txt"), "1,A,a\r\n");
    writeFile(fixture.path("3.txt"), "1,A,a\r\n");
    frmMain& w = fixture.open();
    w.cmdExec->click();
    QCOMPARE(cell(w, 0, 0), QStringLiteral("A"));
    QTest::mouseClick(w.optSort[0], Qt::LeftButton);
    QVERIFY(w.optSort[0]->isChecked());
    QCOMPARE(cell(w, 0, 0), QStringLiteral("B"));
    QTest::mouseClick(w.optSort[1], Qt::LeftButton);
    QCOMPARE(cell(w, 0, 0), QStringLiteral("A"));
    QCOMPARE(cell(w, 0, 4), QStringLiteral("100.00"));  // rates stay as computed
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
}

void MainWindowTest::sortingACountBeyondTheRangeShowsTheError() {
    Fixture fixture(0);
    writeFile(fixture.path("huge.txt"), "3000000000,X-1,x\r\n");
    frmMain& w = fixture.open();
    w.chkHiSp->setChecked(true);  // the count is first narrowed by the final pass
    w.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QTest::mouseClick(w.optSort[0], Qt::LeftButton);
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{2});
    QCOMPARE(fixture.prompts.messages[1].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[1].icon, MessageIcon::Critical);
    QCOMPARE(cell(w, 0, 0), QStringLiteral("X-1"));
}

void MainWindowTest::closingDuringRunStopsItThenCloses() {
    Fixture fixture(6);
    frmMain& w = fixture.open();
    whenFileStarts(w, 2, [&] {
        w.close();
        QVERIFY(w.isVisible());  // still winding down
    });
    w.cmdExec->click();
    QVERIFY(!w.isVisible());
    QVERIFY(fixture.prompts.messages.empty());
    QVERIFY(!w.table().findCard("AB-3").has_value());
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
