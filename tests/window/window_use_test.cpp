// The window as a new user meets it: the keyboard, the focus, the cancel
// button under quick clicks, what the grid shows, a start folder that has
// gone, and folders and files whose names are not UTF-8.

#include <QApplication>
#include <QTest>

#include "window_fixture.h"

using namespace window_test;

class WindowUseTest : public QObject {
    Q_OBJECT
private slots:
    void enterPressesTheFocusedCommandButton();
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

QTEST_MAIN(WindowUseTest)
#include "window_use_test.moc"
