// The main window, driven through its controls as a user would drive it:
// start-up, layout and tab order, folder and mask selection, the Enter key.
// Runs are in window_runs_test.cpp.

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

#include "window/deck_file_list.h"
#include "window/drive_list.h"
#include "window/folder_list.h"
#include "window/main_window.h"
#include "window_fixture.h"

using namespace window_test;

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
    void enterPressesTheStartButtonOnlyWhereItShould();
    void enterInTheFolderListOpensTheFolder();
    void vanishedFolderAtStartShowsTheErrorAndRunsNothing();
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
    QCOMPARE(c.cboMask->count(), 9);
    QCOMPARE(c.cboMask->itemText(1), QStringLiteral("*.deck"));
    QCOMPARE(c.cboMask->itemText(2), QStringLiteral("*.*"));
    QCOMPARE(c.cboMask->itemText(3), QStringLiteral("*.dek"));
    QCOMPARE(c.cboMask->itemText(4), QStringLiteral("*.ydk"));
    QCOMPARE(c.cboMask->itemText(5), QStringLiteral("*.cod"));
    QCOMPARE(c.cboMask->itemText(6), QStringLiteral("*.o8d"));
    QCOMPARE(c.cboMask->itemText(7), QStringLiteral("*.dck"));
    QCOMPARE(c.cboMask->itemText(8), QStringLiteral("*.csv"));
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
    QCOMPARE(c.cboMask->count(), 9);
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

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
