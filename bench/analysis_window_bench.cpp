// Times the analysis window over a folder: opening it, its analysis,
// sorting columns, each keystroke of the filter and building the chart.
// Optionally saves a picture of the main window and of every tab.
//
//   analysis_window_bench DIR [--baseline DIR] [--by-folder] [--screenshots OUTDIR]
//
// Prints one line per measurement, in milliseconds.

#include <QApplication>
#include <QCheckBox>
#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <iostream>

#include "window/analysis_window.h"
#include "window/main_window.h"
#include "window/usage_chart.h"
#include "window/user_prompts.h"

namespace {

class QuietPrompts : public sormel::UserPrompts {
public:
    void tell(QWidget*, const QString& text, const QString&, sormel::MessageIcon icon) override {
        if (icon != sormel::MessageIcon::Information) std::cerr << text.toStdString() << '\n';
    }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
    std::optional<QString> askSaveFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override {
        return std::nullopt;
    }
    std::optional<QString> askFolder(QWidget*, const QString&, const QString&) override { return baseline; }
    std::optional<QString> askOpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> baseline;
};

void report(const char* what, const QElapsedTimer& timer) {
    std::cout << what << '\t' << static_cast<double>(timer.nsecsElapsed()) / 1e6 << " ms" << std::endl;
}

// Also tells the longest the window's thread was kept busy meanwhile:
// putting the result on show.
bool waitForResult(sormel::AnalysisWindow& analysis, const sormel::AnalysisResult* before) {
    QElapsedTimer timer;
    timer.start();
    qint64 longest = 0;
    while (analysis.busy() || analysis.result() == before) {
        if (timer.hasExpired(600000)) return false;
        QElapsedTimer step;
        step.start();
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        longest = std::max(longest, step.nsecsElapsed());
    }
    std::cout << "longest window stall while analysing\t" << static_cast<double>(longest) / 1e6 << " ms" << std::endl;
    return true;
}

void save(QWidget& widget, const QString& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(name);
    if (!widget.grab().save(path)) std::cerr << "cannot save " << path.toStdString() << '\n';
    std::cout << "picture\t" << path.toStdString() << '\t' << widget.width() << 'x' << widget.height() << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    auto option = [&](const char* name) {
        const qsizetype at = arguments.indexOf(QString::fromLatin1(name));
        if (at < 0 || at + 1 >= arguments.size()) return QString();
        const QString value = arguments.takeAt(at + 1);
        arguments.removeAt(at);
        return value;
    };
    const QString pictures = option("--screenshots");
    const QString baseline = option("--baseline");
    const bool byFolder = arguments.removeAll("--by-folder") > 0;
    const QString widthText = option("--width");
    const int width = widthText.isEmpty() ? 1000 : widthText.toInt();
    if (arguments.size() != 1 || !QDir::setCurrent(arguments.front())) {
        std::cerr << "usage: analysis_window_bench DIR [--baseline DIR] [--by-folder] [--width PIXELS] [--screenshots OUTDIR]\n";
        return 2;
    }
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());

    QuietPrompts prompts;
    sormel::MainWindow window(prompts);
    window.show();
    QApplication::processEvents();
    window.findChild<QPushButton*>("cmdExec")->click();
    if (!pictures.isEmpty()) save(window, pictures, "main.png");

    QElapsedTimer timer;
    timer.start();
    window.findChild<QAction*>("actAnalysis")->trigger();
    auto* analysis = window.findChild<sormel::AnalysisWindow*>("analysisWindow");
    QApplication::processEvents();
    report("open window", timer);
    analysis->resize(width, 680);
    if (byFolder) {
        auto* source = analysis->findChild<QComboBox*>("cmbTypeSource");
        source->setCurrentIndex(1);
        emit source->activated(1);
    }
    if (!baseline.isEmpty()) {
        prompts.baseline = QDir(baseline).absolutePath();
        analysis->findChild<QPushButton*>("cmdBaseline")->click();
    }
    timer.start();
    if (!waitForResult(*analysis, nullptr)) return 1;
    report("analysis (background)", timer);
    std::cout << "cards\t" << analysis->result()->data.report.cards.size() << std::endl;

    auto* table = analysis->findChild<QTableView*>("cardTable");
    for (const int column : {2, 4, 1, 6, 0}) {
        for (const Qt::SortOrder order : {Qt::DescendingOrder, Qt::AscendingOrder}) {
            timer.start();
            table->sortByColumn(column, order);
            QApplication::processEvents();
            report(qPrintable(QStringLiteral("sort column %1%2").arg(column).arg(order == Qt::AscendingOrder ? " asc" : " desc")),
                   timer);
        }
    }
    table->sortByColumn(4, Qt::DescendingOrder);
    auto* filter = analysis->findChild<QLineEdit*>("txtFilter");
    QString typed;
    for (const QString& key : {QStringLiteral("Ｂ"), QStringLiteral("t"), QStringLiteral("0"), QStringLiteral("1"),
                               QStringLiteral("-"), QStringLiteral("0")}) {
        typed += key;
        timer.start();
        filter->setText(typed);
        QApplication::processEvents();
        report(qPrintable(QStringLiteral("filter keystroke \"%1\" (%2 rows)").arg(typed).arg(table->model()->rowCount())),
               timer);
    }
    for (int i = 0; i < typed.size(); ++i) {
        timer.start();
        filter->setText(typed.left(typed.size() - i - 1));
        QApplication::processEvents();
        report(qPrintable(QStringLiteral("filter backspace (%1 rows)").arg(table->model()->rowCount())), timer);
    }

    auto* tabs = analysis->findChild<QTabWidget*>("analysisTabs");
    auto* chart = analysis->findChild<sormel::UsageChart*>("usageChart");
    if (!pictures.isEmpty()) {
        tabs->setCurrentIndex(0);
        save(*analysis, pictures, "tab-cards.png");
    }
    timer.start();
    tabs->setCurrentIndex(1);
    QApplication::processEvents();
    report("chart tab (top 10 by adoption)", timer);
    auto* top = chart->findChild<QComboBox*>("chartTop");
    auto* measure = chart->findChild<QComboBox*>("chartMeasure");
    for (int m = 0; m < measure->count(); ++m) {
        measure->setCurrentIndex(m);
        timer.start();
        top->setCurrentIndex(2);
        chart->repaint();
        report(qPrintable(QStringLiteral("chart top 50, measure %1").arg(m)), timer);
        top->setCurrentIndex(0);
    }
    measure->setCurrentIndex(0);
    top->setCurrentIndex(1);
    timer.start();
    const QImage image = chart->image();
    report(qPrintable(QStringLiteral("chart PNG image %1x%2").arg(image.width()).arg(image.height())), timer);
    if (!pictures.isEmpty()) {
        save(*analysis, pictures, "tab-chart.png");
        image.save(QDir(pictures).filePath("chart-2x.png"));
        if (chart->findChild<QComboBox*>("chartSubject")->isEnabled()) {
            chart->findChild<QComboBox*>("chartSubject")->setCurrentIndex(1);
            save(*analysis, pictures, "tab-chart-types.png");
            chart->findChild<QComboBox*>("chartSubject")->setCurrentIndex(0);
        }
        // Every bar labelled at each top-N, in the picture a user saves.
        for (int i = 0; i < top->count(); ++i) {
            top->setCurrentIndex(i);
            QApplication::processEvents();
            chart->image().save(QDir(pictures).filePath(QStringLiteral("chart-top%1.png").arg(top->itemData(i).toInt())));
        }
        for (int tab = 2; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            save(*analysis, pictures, qPrintable(QStringLiteral("tab-%1.png").arg(tab)));
        }
    }
    analysis->close();
    return 0;
}
