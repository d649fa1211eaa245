// The analysis window's background runner: only the newest request is
// reported, a cancelled one never, and a runner ends while a run is on.
#include <QSignalSpy>
#include <QTest>

#include "test_support.h"
#include "window/analysis_runner.h"

using sormel::AnalysisRequest;
using sormel::AnalysisResult;
using sormel::AnalysisRunner;

namespace {

// A folder of `decks` decks, each with the card `card`.
std::unique_ptr<sormel::testing::ScratchFolder> folderOf(int decks, const std::string& card) {
    auto folder = std::make_unique<sormel::testing::ScratchFolder>();
    for (int i = 0; i < decks; ++i) folder->write(std::to_string(i) + ".txt", "1," + card + ",x\n");
    return folder;
}

AnalysisRequest requestFor(const std::filesystem::path& folder) {
    AnalysisRequest request;
    request.folder = folder;
    request.averageDecks = true;
    return request;
}

}  // namespace

class AnalysisRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void onlyTheNewestRequestIsReported();
    void aCancelledRequestReportsNothing();
    void aFailureIsReportedWithItsMessage();
    void theRunnerEndsWhileARunIsOn();
};

void AnalysisRunnerTest::onlyTheNewestRequestIsReported() {
    const auto big = folderOf(400, "OLD");
    const auto small = folderOf(3, "NEW");
    AnalysisRunner runner;
    QSignalSpy completed(&runner, &AnalysisRunner::completed);
    for (int i = 0; i < 5; ++i) runner.start(requestFor(big->path()));
    runner.start(requestFor(small->path()));
    QVERIFY(runner.running());
    QVERIFY(completed.wait(10000));
    QTest::qWait(200);  // nothing else arrives late
    QCOMPARE(completed.count(), 1);
    const auto result = completed.at(0).at(0).value<std::shared_ptr<const AnalysisResult>>();
    QCOMPARE(result->request.folder, small->path());
    QCOMPARE(result->data.report.deckCount, 3);
    QCOMPARE(result->data.report.cards.at(0).number, std::string("NEW"));
    QVERIFY(!runner.running());

    // The same worker takes the next request.
    runner.start(requestFor(big->path()));
    QVERIFY(completed.wait(20000));
    QCOMPARE(completed.last().at(0).value<std::shared_ptr<const AnalysisResult>>()->data.report.deckCount, 400);
}

void AnalysisRunnerTest::aCancelledRequestReportsNothing() {
    const auto big = folderOf(400, "A");
    AnalysisRunner runner;
    QSignalSpy completed(&runner, &AnalysisRunner::completed);
    QSignalSpy failed(&runner, &AnalysisRunner::failed);
    runner.start(requestFor(big->path()));
    runner.cancel();
    QVERIFY(!runner.running());
    QTest::qWait(1500);
    QCOMPARE(completed.count() + failed.count(), 0);
}

void AnalysisRunnerTest::aFailureIsReportedWithItsMessage() {
    const sormel::testing::ScratchFolder empty;
    AnalysisRunner runner;
    QSignalSpy failed(&runner, &AnalysisRunner::failed);
    runner.start(requestFor(empty.path()));
    QVERIFY(failed.wait(10000));
    QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("集計対象ファイルがありません。"));
    QVERIFY(!runner.running());
}

void AnalysisRunnerTest::theRunnerEndsWhileARunIsOn() {
    const auto big = folderOf(1000, "A");
    QElapsedTimer timer;
    timer.start();
    {
        AnalysisRunner runner;
        runner.start(requestFor(big->path()));
        QTest::qWait(20);
    }
    QVERIFY(timer.elapsed() < 5000);
}

QTEST_MAIN(AnalysisRunnerTest)
#include "analysis_runner_test.moc"
