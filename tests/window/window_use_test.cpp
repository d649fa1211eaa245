// The window as a new user meets it: the keyboard, the focus, the cancel
// button under quick clicks, what the grid shows, a start folder that has
// gone, and folders and files whose names are not UTF-8.

#include <sys/inotify.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QHeaderView>
#include <QHelpEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QToolTip>
#include <QStyleHints>
#include <QTest>

#include <fstream>

#include "window/save_dialog.h"
#include "window_fixture.h"

using namespace window_test;

class WindowUseTest : public QObject {
    Q_OBJECT
private slots:
    void enterPressesTheFocusedCommandButton();
    void aQuickSecondClickOnCancelDoesNotQuit();
    void theStartButtonHasTheFocusAfterEveryRun();
    void aHighSpeedRerunShowsTheClearedGrid();
    void theGridBeyondItsColumnsIsGreyUpToTheTop();
    void aCutCellShowsItsWholeTextInATooltip();
    void aVanishedStartFolderGivesWayToOneAllListsShow();
    void typingAFolderInTheSaveDialogOpensNoFile();
    void aFolderNamedInBytesThatAreNotUtf8IsListedAndTallied();
    void aSaveTargetQtCannotNameIsRefused();
};

void WindowUseTest::enterPressesTheFocusedCommandButton() {
    Fixture fixture(2);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), c.cmdExec);
    QTest::keyClick(c.cmdExec, Qt::Key_Return);
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages[0].text, kCompleted);
    c.cmdSave->setFocus();
    QTest::keyClick(c.cmdSave, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(fixture.prompts.saveRequests.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});  // the save, not a re-run
    c.cmdExit->setFocus();
    QTest::keyClick(c.cmdExit, Qt::Key_Return);
    QVERIFY(!w.isVisible());
}

// The second click of a double-click on キャンセル(&C) lands on 終了(&X),
// enabled again as soon as the run has wound down.
void WindowUseTest::aQuickSecondClickOnCancelDoesNotQuit() {
    QStyleHints* hints = QGuiApplication::styleHints();
    const int interval = hints->mouseDoubleClickInterval();
    Fixture fixture(5);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    hints->setMouseDoubleClickInterval(60000);
    whenFileStarts(w, 2, [&] { c.cmdExit->click(); });
    c.cmdExec->click();  // returns once the run has stopped
    QVERIFY(c.cmdExit->isEnabled());
    c.cmdExit->click();
    QVERIFY(w.isVisible());
    QVERIFY(fixture.prompts.messages.empty());
    // Later clicks close the window as usual.
    hints->setMouseDoubleClickInterval(1);
    QTest::qWait(20);
    c.cmdExit->click();
    hints->setMouseDoubleClickInterval(interval);
    QVERIFY(!w.isVisible());
}

// After a completed, a cancelled and a failed run, Enter or Space starts
// the next run instead of quitting.
void WindowUseTest::theStartButtonHasTheFocusAfterEveryRun() {
    Fixture fixture(3);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(c.cmdExec, Qt::Key_Space);
    QCOMPARE(fixture.prompts.messages.back().text, kCompleted);
    QCOMPARE(QApplication::focusWidget(), c.cmdExec);

    fixture.prompts.yesNoAnswers = {true};
    whenFileStarts(w, 1, [&] { c.cmdExit->click(); });
    c.chkSide->setFocus();
    QTest::keyClick(c.chkSide, Qt::Key_Return);
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{2});  // the question only
    QCOMPARE(QApplication::focusWidget(), c.cmdExec);

    // A count out of range fails the run at the second file.
    fixture.prompts.yesNoAnswers = {true};
    writeFile(fixture.path("deck002.txt"), "1E400,AB-1,x\r\n");
    c.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.back().title, QStringLiteral("エラー"));
    QCOMPARE(QApplication::focusWidget(), c.cmdExec);
}

// What the screen shows of `widget` at `point` (in its own coordinates):
// the window's last painted picture, whether or not painting is suspended.
QColor shownColour(const sormel::MainWindow& window, const QWidget* widget, QPoint point) {
    const QImage shown = window.screen()->grabWindow(window.winId()).toImage();
    return shown.pixelColor(widget->mapTo(&window, point));
}

// Re-running in high-speed mode, the grid stays unpainted until the end:
// it must show the cleared table (header and one blank row), not the rows
// of the last run with their texts gone.
void WindowUseTest::aHighSpeedRerunShowsTheClearedGrid() {
    Fixture fixture(8);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    c.cmdExec->click();
    QVERIFY(c.mfgList->model()->rowCount() > 6);
    const int rowHeight = c.mfgList->verticalHeader()->defaultSectionSize();
    const QPoint thirdRow(c.mfgList->columnWidth(0) / 2, rowHeight * 2 + rowHeight / 2);
    QTRY_VERIFY(shownColour(w, c.mfgList->viewport(), thirdRow) != QColor(128, 128, 128));

    fixture.prompts.yesNoAnswers = {true};
    c.chkHiSp->setChecked(true);
    int rowsDuringRun = -1;
    QColor thirdRowDuringRun;
    whenFileStarts(w, 4, [&] {
        rowsDuringRun = c.mfgList->model()->rowCount();
        thirdRowDuringRun = shownColour(w, c.mfgList->viewport(), thirdRow);
    });
    c.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.back().text, kCompleted);
    QCOMPARE(thirdRowDuringRun, QColor(128, 128, 128));
    QCOMPARE(rowsDuringRun, 1);
}

void WindowUseTest::theGridBeyondItsColumnsIsGreyUpToTheTop() {
    Fixture fixture(1);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QHeaderView* header = c.mfgList->horizontalHeader();
    const int lastColumnEnd = header->sectionViewportPosition(5) + header->sectionSize(5);
    QVERIFY(lastColumnEnd < header->width() - 4);
    const QColor grey(128, 128, 128);
    QTRY_COMPARE(shownColour(w, header, QPoint(header->width() - 3, header->height() / 2)), grey);
    QCOMPARE(shownColour(w, header, QPoint(lastColumnEnd + 2, header->height() / 2)), grey);
    QCOMPARE(shownColour(w, c.mfgList->viewport(), QPoint(lastColumnEnd + 2, c.mfgList->viewport()->height() / 2)),
             grey);
}

// The tooltip the grid shows over cell (row, column), or an empty text.
QString tooltipOver(QTableView* grid, int row, int column) {
    const QRect cellRect = grid->visualRect(grid->model()->index(row, column));
    QHelpEvent help(QEvent::ToolTip, cellRect.center(), grid->viewport()->mapToGlobal(cellRect.center()));
    QCoreApplication::sendEvent(grid->viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

void WindowUseTest::aCutCellShowsItsWholeTextInATooltip() {
    Fixture fixture(0);
    const QString longNumber = QStringLiteral("BT01-123456-SECRET-RARE");
    const QString longName = QStringLiteral("紅蓮の竜騎士ヴァルガ・ドラグーン・オブ・ジ・エターナル・フレイム");
    writeFile(fixture.path("a.txt"), "4," + longNumber.toUtf8() + ",x\r\n" + "2,BT01-124," + longName.toUtf8() +
                                         "\r\n1,A-1,Short\r\n");
    writeFile(fixture.path("b.txt"), "1,BT01-124,y\r\n");
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int numberWidth = c.mfgList->columnWidth(0);
    c.cmdExec->click();
    QCOMPARE(c.mfgList->columnWidth(0), numberWidth);
    QCOMPARE(cell(w, 2, 0), QStringLiteral("A-1"));
    QCOMPARE(tooltipOver(c.mfgList, 2, 0), QString());  // whole: no tooltip
    QCOMPARE(tooltipOver(c.mfgList, 2, 1), QString());
    QCOMPARE(cell(w, 0, 4), QStringLiteral("100.00"));
    QCOMPARE(tooltipOver(c.mfgList, 0, 4), QString());
    QCOMPARE(cell(w, 1, 0), longNumber);
    QCOMPARE(tooltipOver(c.mfgList, 1, 0), longNumber);
    QCOMPARE(cell(w, 0, 1), longName);
    QCOMPARE(tooltipOver(c.mfgList, 0, 1), longName);
}

void WindowUseTest::aVanishedStartFolderGivesWayToOneAllListsShow() {
    Fixture fixture(0);
    QDir(fixture.path("")).mkdir("doomed");
    QDir::setCurrent(fixture.path("doomed"));
    QVERIFY(QDir(fixture.path("doomed")).removeRecursively());
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    const std::filesystem::path shown = c.dirList->path();
    QCOMPARE(c.fleList->path(), shown);
    QVERIFY(c.dirList->topLevelItemCount() > 0);
    QCOMPARE(QDir::currentPath(), QFile::decodeName(QByteArray::fromStdString(shown.native())));
    const std::filesystem::path drive = c.drvList->selectedDrive();
    QVERIFY(std::mismatch(drive.begin(), drive.end(), shown.begin(), shown.end()).first == drive.end());

    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    const QString text = fixture.prompts.messages[0].text;
    QCOMPARE(fixture.prompts.messages[0].title, QStringLiteral("エラー"));
    QVERIFY2(text.contains(QFile::decodeName(QByteArray::fromStdString(shown.native()))), qPrintable(text));
    for (const QString& line : text.split('\n')) {
        QVERIFY2(!line.contains(QRegularExpression(QStringLiteral("フォルダー: *$"))), qPrintable(text));
    }
}

// The files (not folders) of a folder that are opened while it is watched.
class OpenedFiles {
public:
    explicit OpenedFiles(const QString& folder)
        : fd_(inotify_init1(IN_NONBLOCK)), watch_(inotify_add_watch(fd_, QFile::encodeName(folder), IN_OPEN)) {}
    ~OpenedFiles() { ::close(fd_); }
    bool watching() const { return fd_ >= 0 && watch_ >= 0; }

    QStringList names() {
        QStringList opened;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && !(event->mask & IN_ISDIR)) opened << QFile::decodeName(event->name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return opened;
    }

private:
    int fd_;
    int watch_;
};

// Typing /proc in the dialog froze the program: telling a file's type by
// its content read /proc/kmsg, whose reads wait for the kernel's next
// message. The dialog tells types by name alone, so typing a folder's path
// opens none of its files.
void WindowUseTest::typingAFolderInTheSaveDialogOpensNoFile() {
    QTemporaryDir folder;
    // Names that say nothing of the type; only the content would.
    writeFile(folder.filePath("kmsg"), QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(64, '\0'));
    writeFile(folder.filePath("kcore"), "#!/bin/sh\n");
    OpenedFiles opened(folder.path());
    QVERIFY(opened.watching());
    const std::unique_ptr<QFileDialog> dialog = sormel::makeSaveDialog(
        nullptr, QDir::tempPath(), QStringLiteral("CSVファイル (*.csv);;すべてのファイル (*.*)"), "集計結果.csv");
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* model = dialog->findChild<QFileSystemModel*>();
    QVERIFY(nameEdit && model);
    QSignalSpy listed(model, &QFileSystemModel::directoryLoaded);
    nameEdit->selectAll();
    QTest::keyClicks(nameEdit, folder.path() + "/k");
    QTRY_VERIFY(!listed.isEmpty());
    QTest::keyClick(nameEdit, Qt::Key_Return);  // opens the folder in the dialog
    QTest::qWait(50);
    QCOMPARE(opened.names(), QStringList());
    dialog->reject();
}

// `folder`/`name`, where `name` is bytes.
std::filesystem::path byteName(const QString& folder, const char* name) {
    return std::filesystem::path(QFile::encodeName(folder).toStdString()) / name;
}

// Folder names are bytes; one that is not UTF-8 is opened, listed and read
// like any other.
void WindowUseTest::aFolderNamedInBytesThatAreNotUtf8IsListedAndTallied() {
    Fixture fixture(1);
    const std::filesystem::path odd = byteName(fixture.path(""), "bad\xff\xfe" "dir");
    std::filesystem::create_directory(odd);
    std::ofstream(odd / "a.txt", std::ios::binary) << deckText(2).toStdString();
    std::filesystem::current_path(odd);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    QVERIFY(fixture.prompts.messages.empty());
    QCOMPARE(c.dirList->path(), odd);
    QCOMPARE(c.fleList->path(), odd);
    QCOMPARE(c.lblListCount->text(), QStringLiteral("1"));
    c.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.back().text, kCompleted);
    QVERIFY(w.table().findCard("AB-0").has_value());

    // Up to the parent and back down into it from the folder list.
    emit c.dirList->itemActivated(c.dirList->currentItem()->parent(), 0);
    QCOMPARE(c.lblListCount->text(), QStringLiteral("1"));
    QTreeWidgetItem* oddItem = nullptr;
    for (int i = 0; i < c.dirList->currentItem()->childCount(); ++i) {
        QTreeWidgetItem* child = c.dirList->currentItem()->child(i);
        if (child->text(0).startsWith(QStringLiteral("bad"))) oddItem = child;
    }
    QVERIFY(oddItem);
    emit c.dirList->itemActivated(oddItem, 0);
    QCOMPARE(c.dirList->path(), odd);
    QCOMPARE(std::filesystem::current_path(), odd);
    QCOMPARE(c.lblListCount->text(), QStringLiteral("1"));
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
}

// The save dialog shows a name that is not UTF-8 with U+FFFD in place of
// its odd bytes, and gives it back so: saving under that text would write
// another file than the one chosen.
void WindowUseTest::aSaveTargetQtCannotNameIsRefused() {
    Fixture fixture(1);
    const std::filesystem::path oddFile = byteName(fixture.path(""), "\xff.csv");
    const std::filesystem::path oddFolder = byteName(fixture.path(""), "bad\xff" "dir");
    std::filesystem::create_directory(oddFolder);
    std::ofstream(oddFile, std::ios::binary) << "keep me\n";
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.cmdExec->click();
    const QString replacement(QChar(0xFFFD));
    fixture.prompts.saveAnswers = {fixture.path(replacement + ".csv"),
                                   fixture.path("bad" + replacement + "dir/集計結果.csv")};
    for (int attempt = 0; attempt < 2; ++attempt) {
        c.cmdSave->click();
        const ShownMessage& shown = fixture.prompts.messages.back();
        QCOMPARE(shown.title, QStringLiteral("エラー"));
        QVERIFY2(shown.text.contains(QStringLiteral("文字として読めない")), qPrintable(shown.text));
        QVERIFY2(shown.text.contains(replacement), qPrintable(shown.text));
    }
    QCOMPARE(std::distance(std::filesystem::directory_iterator(oddFolder), std::filesystem::directory_iterator()), 0);
    QVERIFY(!std::filesystem::exists(byteName(fixture.path(""), "\xef\xbf\xbd.csv")));
    std::string kept;
    std::getline(std::ifstream(oddFile, std::ios::binary), kept, '\0');
    QCOMPARE(kept, std::string("keep me\n"));

    // A name holding U+FFFD as a character of its own is saved as usual.
    fixture.prompts.saveAnswers = {fixture.path("real" + replacement + ".csv")};
    c.cmdSave->click();
    QCOMPARE(fixture.prompts.messages.back().text, QStringLiteral("保存が完了しました。"));
    QVERIFY(QFile::exists(fixture.path("real" + replacement + ".csv")));
}

QTEST_MAIN(WindowUseTest)
#include "window_use_test.moc"
