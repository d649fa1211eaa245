// Saving from the main window: the table as CSV, the reports of the last
// run, and what a failed save shows.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "window/main_window.h"
#include "window/save_flow.h"
#include "window_fixture.h"

using namespace window_test;
using sormel::MessageIcon;

class WindowSaveTest : public QObject {
    Q_OBJECT
private slots:
    void saveWritesTheGridAndCancelWritesNothing();
    void saveWritesReportsAndTellsWhatCp932Lost();
    void namesWithoutExtensionGetTheFilters();
    void saveFailureShowsTheError();
};

void WindowSaveTest::saveWritesTheGridAndCancelWritesNothing() {
    Fixture fixture(2);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.cmdExec->click();
    c.cmdSave->click();  // the dialog is cancelled
    QCOMPARE(fixture.prompts.saveRequests.size(), std::size_t{1});
    QCOMPARE(fixture.prompts.saveRequests[0].folder, QDir::currentPath());
    QCOMPARE(fixture.prompts.saveRequests[0].filters,
             QStringLiteral("CSVファイル (*.csv);;すべてのファイル (*.*);;Excel ブック (*.xlsx);;CSV（全項目, UTF-8）(*.csv);;Web ページ (*.html)"));
    QCOMPARE(fixture.prompts.saveRequests[0].proposedName, QStringLiteral("集計結果.csv"));
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{1});
    QVERIFY(!QFile::exists(fixture.path("集計結果.csv")));

    const QString target = fixture.path("集計結果.csv");
    writeFile(target, "old content that is much longer than the new one would be, surely\r\n");
    fixture.prompts.saveAnswers = {target};
    c.cmdSave->click();
    QCOMPARE(fixture.prompts.messages.back().text, QStringLiteral("保存が完了しました。"));
    QCOMPARE(fixture.prompts.messages.back().title, QStringLiteral("完了"));
    QCOMPARE(fixture.prompts.messages.back().icon, MessageIcon::Information);
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    QCOMPARE(lines.size(), c.mfgList->model()->rowCount() + 1);  // CR LF after the last line too
    QCOMPARE(lines[0], QByteArray("\"AB-1\",\"Card 1\",2,4,100,66.67\r"));
    // The second save proposes the same name again.
    c.cmdSave->click();
    QCOMPARE(fixture.prompts.saveRequests.back().proposedName, QStringLiteral("集計結果.csv"));
}

// The report filters write the last run's per-card report; the table's CSV
// tells once when code page 932 could not hold a character.
void WindowSaveTest::saveWritesReportsAndTellsWhatCp932Lost() {
    Fixture fixture(0);
    writeFile(fixture.path("1.txt"), "2,AB-1,\xE2\x91\xA0\xF0\x9F\x83\x8F\r\n--\r\n1,AB-1,x\r\n");  // ① and a playing card
    writeFile(fixture.path("2.txt"), "3,AB-1,x\r\n");
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.cmdExec->click();

    fixture.prompts.saveAnswers = {fixture.path("table.csv")};
    c.cmdSave->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{3});
    QCOMPARE(fixture.prompts.messages[1].text, QStringLiteral("保存が完了しました。"));
    QCOMPARE(fixture.prompts.messages[2].icon, MessageIcon::Information);
    QVERIFY2(fixture.prompts.messages[2].text.contains(QStringLiteral("1 文字（1 枚のカード）")),
             qPrintable(fixture.prompts.messages[2].text));

    fixture.prompts.saveAnswers = {fixture.path("full.csv")};
    fixture.prompts.saveFilterAnswers = {QStringLiteral("CSV（全項目, UTF-8）(*.csv)")};
    c.cmdSave->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{4});  // no notice: UTF-8 keeps every character
    QFile full(fixture.path("full.csv"));
    QVERIFY(full.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = full.readAll().split('\n');
    QVERIFY(lines[0].startsWith("\xEF\xBB\xBF\"No.\""));
    // decks 2, copies 6, main in 2 decks with 5, side in 1 with 1, avg 3.
    QCOMPARE(lines[1], QByteArray("\"AB-1\",\"\xE2\x91\xA0\xF0\x9F\x83\x8F\",2,6,100,100,3,2,5,1,1,0,0,2,0,0\r"));

    fixture.prompts.saveAnswers = {fixture.path("book.xlsx")};
    fixture.prompts.saveFilterAnswers = {QStringLiteral("Excel ブック (*.xlsx)")};
    c.cmdSave->click();
    QCOMPARE(fixture.prompts.messages.back().text, QStringLiteral("保存が完了しました。"));
    QFile book(fixture.path("book.xlsx"));
    QVERIFY(book.open(QIODevice::ReadOnly));
    QVERIFY(book.read(2) == "PK");
    fixture.prompts.saveAnswers = {fixture.path("page.html")};
    fixture.prompts.saveFilterAnswers = {QStringLiteral("Web ページ (*.html)")};
    c.cmdSave->click();
    QCOMPARE(fixture.prompts.messages.back().text, QStringLiteral("保存が完了しました。"));
    QFile page(fixture.path("page.html"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    QVERIFY(html.startsWith("<!DOCTYPE html>"));
    // The card's name in the page's packed card table, as UTF-8.
    QVERIFY(html.contains("\"\xE2\x91\xA0\xF0\x9F\x83\x8F\""));
    QVERIFY(html.contains("\"$names\":[\"number\",\"name\""));

    // Re-sorted by copies after the run: the conditions say the rows' order.
    c.optSort[0]->click();
    fixture.prompts.saveAnswers = {fixture.path("sorted.xlsx")};
    fixture.prompts.saveFilterAnswers = {QStringLiteral("Excel ブック (*.xlsx)")};
    c.cmdSave->click();
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), fixture.path("sorted.xlsx"), QStringLiteral("xl/worksheets/sheet2.xml")});
    QVERIFY(unzip.waitForFinished());
    const QString conditions = QString::fromUtf8(unzip.readAllStandardOutput());
    QVERIFY2(QRegularExpression(QStringLiteral("並び順</t>.*?<t>枚数</t>")).match(conditions).hasMatch(),
             qPrintable(conditions.left(2000)));
}

void WindowSaveTest::namesWithoutExtensionGetTheFilters() {
    const struct {
        const char* chosen;
        const char* filter;
        const char* named;
    } cases[] = {
        {"/d/noext", "PNG画像 (*.png)", "/d/noext.png"},
        {"/d/noext", "Excel ブック (*.xlsx)", "/d/noext.xlsx"},
        {"/d/noext", "CSV（全項目, UTF-8）(*.csv)", "/d/noext.csv"},
        {"/d/kept.txt", "PNG画像 (*.png)", "/d/kept.txt"},
        {"/d/noext", "すべてのファイル (*.*)", "/d/noext"},
        {"/d.x/noext", "PNG画像 (*.png)", "/d.x/noext.png"},
    };
    for (const auto& c : cases) {
        QCOMPARE(sormel::withFilterExtension(QString::fromUtf8(c.chosen), QString::fromUtf8(c.filter)),
                 QString::fromUtf8(c.named));
    }
    // Through the save: the file gets the extension, and replacing one asks first.
    Fixture fixture(1);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.cmdExec->click();
    writeFile(fixture.path("noext.csv"), "old");
    fixture.prompts.saveAnswers = {fixture.path("noext")};
    c.cmdSave->click();
    QCOMPARE(fixture.prompts.messages.back().title, QStringLiteral("確認"));
    QFile kept(fixture.path("noext.csv"));
    QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == "old");
    QVERIFY(!QFile::exists(fixture.path("noext")));
}

void WindowSaveTest::saveFailureShowsTheError() {
    Fixture fixture(1);
    sormel::MainWindow& w = fixture.open();
    const WindowControls c(w);
    c.cmdExec->click();
    fixture.prompts.saveAnswers = {fixture.path("no/such/folder/out.csv")};
    c.cmdSave->click();
    QCOMPARE(fixture.prompts.messages.size(), std::size_t{2});
    QCOMPARE(fixture.prompts.messages[1].title, QStringLiteral("エラー"));
    QCOMPARE(fixture.prompts.messages[1].icon, MessageIcon::Critical);
    QVERIFY(!fixture.prompts.messages[1].text.isEmpty());
}

QTEST_MAIN(WindowSaveTest)
#include "window_save_test.moc"
