// The window as a new user meets it: the keyboard, the focus, the cancel
// button under quick clicks, what the grid shows, a start folder that has
// gone, and folders and files whose names are not UTF-8.

#include <QApplication>
#include <QStyleHints>
#include <QTest>

#include "window_fixture.h"

using namespace window_test;

class WindowUseTest : public QObject {
    Q_OBJECT
private slots:
    void enterPressesTheFocusedCommandButton();
    void aQuickSecondClickOnCancelDoesNotQuit();
    void theStartButtonHasTheFocusAfterEveryRun();
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

    fixture.prompts.yesNoAnswers = {true};
    whenFileStarts(w, 1, [&] { QFile::remove(fixture.path("deck002.txt")); });
    c.cmdExec->click();
    QCOMPARE(fixture.prompts.messages.back().title, QStringLiteral("エラー"));
    QCOMPARE(QApplication::focusWidget(), c.cmdExec);
}

QTEST_MAIN(WindowUseTest)
#include "window_use_test.moc"
