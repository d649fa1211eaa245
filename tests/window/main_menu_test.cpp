// The main window's menu bar, folders dropped on it and the recent
// folders, driven as a user would drive them.

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "window/analysis_window.h"
#include "window_controls.h"
#include "window_fixture.h"

using namespace window_test;
using sormel::AnalysisWindow;

namespace {

QStringList recentEntries(const QWidget& window) {
    QStringList folders;
    for (QAction* entry : window.findChild<QMenu*>("mnuRecent")->actions()) folders << entry->data().toString();
    return folders;
}

void drop(QWidget& window, const QString& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &dropped);
}

QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }
QString shownFolder(const sormel::MainWindow& window) {
    return canonical(QString::fromStdString(WindowControls(window).dirList->path().string()));
}

}  // namespace

class MainMenuTest : public QObject {
    Q_OBJECT
private slots:
    void menuCommandsHaveTheirKeysAndLockDuringARun();
    void droppedFolderOrFileOpensItsFolderButNotDuringARun();
    void recentFoldersSurviveARestartAndAVanishedOneGoes();
    void openingAFolderOnAnotherVolumeShowsItsDrive();
};

void MainMenuTest::menuCommandsHaveTheirKeysAndLockDuringARun() {
    Fixture fixture;
    sormel::MainWindow& w = fixture.open();
    QStringList titles;
    for (QAction* menu : w.findChild<QMenuBar*>("menuBar")->actions()) titles << menu->text();
    QCOMPARE(titles, (QStringList{"ファイル(&F)", "表示(&V)", "ヘルプ(&H)"}));
    QCOMPARE(action(w, "actOpenFolder")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(action(w, "actAnalysis")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    QVERIFY(!action(w, "actSave")->isEnabled());  // nothing to save yet

    // The controls keep their places below the menu; the window grows by its height only.
    const QWidget* body = w.findChild<QWidget*>("body");
    QCOMPARE(body->y(), w.findChild<QMenuBar*>("menuBar")->height());
    QCOMPARE(w.height(), body->y() + body->height());

    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
    auto* analysis = w.findChild<AnalysisWindow*>("analysisWindow");
    QVERIFY(analysis && analysis->isVisible());
    analysis->close();

    std::vector<bool> enabledDuringRun;
    whenFileStarts(w, 1, [&] {
        for (const char* name : {"actOpenFolder", "actSave", "actExit", "actAnalysis", "actAbout"})
            enabledDuringRun.push_back(action(w, name)->isEnabled());
    });
    WindowControls(w).cmdExec->click();
    QCOMPARE(enabledDuringRun, std::vector<bool>(5, false));
    QVERIFY(action(w, "actAnalysis")->isEnabled());
    QVERIFY(action(w, "actExit")->isEnabled());

    action(w, "actAbout")->trigger();
    QCOMPARE(fixture.prompts.messages.back().title, QStringLiteral("バージョン情報"));
    const QString about = fixture.prompts.messages.back().text;
    QVERIFY(about.contains(QString::fromLatin1(qVersion())));
    // The program's licence, as shipped, not Qt's.
    QFile licence(QStringLiteral(":/sormel/LICENSE"));
    QVERIFY(licence.open(QIODevice::ReadOnly));
    const QString copyright = QString::fromUtf8(licence.readAll()).section(QLatin1Char('\n'), 1, 1);
    QVERIFY2(copyright.startsWith(QStringLiteral("Copyright")) && about.contains(copyright), qPrintable(about));
}


void MainMenuTest::droppedFolderOrFileOpensItsFolderButNotDuringARun() {
    Fixture fixture;
    QVERIFY(QDir(fixture.path(".")).mkpath("sub/inner"));
    writeFile(fixture.path("sub/inner/x.txt"), deckText(2));
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);

    drop(w, fixture.path("sub"));
    QCOMPARE(shownFolder(w), canonical(fixture.path("sub")));
    QCOMPARE(canonical(QDir::currentPath()), canonical(fixture.path("sub")));
    QCOMPARE(c.lblListCount->text(), QStringLiteral("0"));

    drop(w, fixture.path("sub/inner/x.txt"));  // a file means its folder
    QCOMPARE(shownFolder(w), canonical(fixture.path("sub/inner")));
    QCOMPARE(c.lblListCount->text(), QStringLiteral("1"));

    drop(w, fixture.path("."));
    QString duringRun;
    whenFileStarts(w, 1, [&] {
        drop(w, fixture.path("sub"));
        duringRun = shownFolder(w);
    });
    c.cmdExec->click();
    QCOMPARE(duringRun, canonical(fixture.path(".")));
    QCOMPARE(fixture.prompts.messages.back().text, kCompleted);
}


// Where there is a second volume, a folder opened on it moves the drive box there.
void MainMenuTest::openingAFolderOnAnotherVolumeShowsItsDrive() {
    Fixture fixture;
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    for (int i = 0; i < c.drvList->count(); ++i) {
        const QString root = c.drvList->itemText(i);
        if (root == c.drvList->currentText() || !QFileInfo(root).isReadable()) continue;
        fixture.prompts.folderAnswers.push_back(root);
        action(w, "actOpenFolder")->trigger();
        QCOMPARE(c.drvList->currentText(), root);
        return;
    }
    QSKIP("this machine has one volume");
}

void MainMenuTest::recentFoldersSurviveARestartAndAVanishedOneGoes() {
    Fixture fixture;
    for (int i = 0; i < 10; ++i) QVERIFY(QDir(fixture.path(".")).mkdir(QStringLiteral("f%1").arg(i)));
    {
        sormel::MainWindow& w = fixture.open();
        for (int i = 0; i < 10; ++i) {
            fixture.prompts.folderAnswers.push_back(fixture.path(QStringLiteral("f%1").arg(i)));
            action(w, "actOpenFolder")->trigger();
        }
        QCOMPARE(fixture.prompts.folderRequests.size(), 10);
        QCOMPARE(shownFolder(w), canonical(fixture.path("f9")));
        // Each chooser opens in the folder on show.
        QCOMPARE(canonical(fixture.prompts.folderStarts.back()), canonical(fixture.path("f8")));
    }
    // A new window, as after a restart: the newest eight, newest first.
    sormel::MainWindow& w = fixture.open();
    QStringList expected;
    for (int i = 9; i >= 2; --i) expected << canonical(fixture.path(QStringLiteral("f%1").arg(i)));
    QStringList shown;
    for (const QString& folder : recentEntries(w)) shown << canonical(folder);
    QCOMPARE(shown, expected);

    // Choosing one opens it and moves it to the top.
    w.findChild<QMenu*>("mnuRecent")->actions().at(3)->trigger();
    QCOMPARE(shownFolder(w), canonical(fixture.path("f6")));
    QCOMPARE(canonical(recentEntries(w).front()), canonical(fixture.path("f6")));

    // A vanished one goes from the list, with a message, and nothing moves.
    const QString gone = recentEntries(w).at(1);
    QVERIFY(QDir(gone).removeRecursively());
    fixture.prompts.messages.clear();
    w.findChild<QMenu*>("mnuRecent")->actions().at(1)->trigger();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QVERIFY(fixture.prompts.messages[0].text.contains(QStringLiteral("見つかりません")));
    QCOMPARE(recentEntries(w).size(), 7);
    QVERIFY(!recentEntries(w).contains(gone));
    QCOMPARE(shownFolder(w), canonical(fixture.path("f6")));
}


QTEST_MAIN(MainMenuTest)
#include "main_menu_test.moc"
