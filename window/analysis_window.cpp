#include "window/analysis_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "analysis/card_analysis.h"
#include "engine/file_error.h"
#include "window/app_settings.h"
#include "window/average_deck_page.h"
#include "window/card_figures_model.h"
#include "window/card_filter_model.h"
#include "window/card_table_view.h"
#include "window/results_settings.h"
#include "window/type_page.h"
#include "window/usage_chart.h"
#include "window/user_prompts.h"

namespace sormel {
namespace {

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

AnalysisWindow::AnalysisWindow(UserPrompts& prompts, std::function<AnalysisRequest()> source, QWidget* parent)
    : QWidget(parent, Qt::Window),
      prompts_(prompts),
      source_(std::move(source)),
      settings_(AnalysisSettings::load()),
      runner_(new AnalysisRunner(this)) {
    setObjectName(QStringLiteral("analysisWindow"));
    setWindowTitle(QStringLiteral("分析ウィンドウ"));
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("analysisTabs"));
    chart_ = new UsageChart(prompts_, this);
    chart_->setObjectName(QStringLiteral("usageChart"));
    typePage_ = new TypePage(this);
    averagePage_ = new AverageDeckPage(prompts_, this);
    tabs_->addTab(makeCardPage(), QStringLiteral("カード"));
    tabs_->addTab(chart_, QStringLiteral("グラフ"));
    tabs_->addTab(typePage_, QStringLiteral("デッキタイプ"));
    tabs_->addTab(averagePage_, QStringLiteral("平均デッキ"));
    tabs_->addTab(makeSkippedPage(), QStringLiteral("読み込みの注意"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeSettingsRow());
    layout->addWidget(tabs_, 1);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(status_);

    const AppSettings stored;
    resize(900, 600);
    restoreGeometry(stored.value(QStringLiteral("analysis/geometry")).toByteArray());
    tabs_->setCurrentIndex(stored.value(QStringLiteral("analysis/tab"), 0).toInt());
    showSettings();
    showStatus();

    connect(runner_, &AnalysisRunner::completed, this, &AnalysisWindow::showResult);
    connect(runner_, &AnalysisRunner::failed, this, &AnalysisWindow::showFailure);
}

AnalysisWindow::~AnalysisWindow() = default;

QWidget* AnalysisWindow::makeSettingsRow() {
    auto* row = new QWidget(this);
    copyLimit_ = new QSpinBox(row);
    copyLimit_->setObjectName(QStringLiteral("spnCopyLimit"));
    copyLimit_->setRange(1, kMaxCopyLimit);
    byFolder_ = new QCheckBox(QStringLiteral("サブフォルダーをデッキタイプに"), row);
    byFolder_->setObjectName(QStringLiteral("chkByFolder"));
    mergeByName_ = new QCheckBox(QStringLiteral("同名カードをまとめる"), row);
    mergeByName_->setObjectName(QStringLiteral("chkMergeByName"));
    auto* chooseBaseline = new QPushButton(QStringLiteral("比較フォルダー…"), row);
    chooseBaseline->setObjectName(QStringLiteral("cmdBaseline"));
    clearBaseline_ = new QPushButton(QStringLiteral("比較をやめる"), row);
    clearBaseline_->setObjectName(QStringLiteral("cmdClearBaseline"));
    baseline_ = new QLabel(row);
    baseline_->setObjectName(QStringLiteral("lblBaseline"));
    baseline_->setTextFormat(Qt::PlainText);
    // A long path must not widen the window; the tooltip shows it whole.
    baseline_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    baseline_->setMinimumWidth(120);
    rerun_ = new QPushButton(QStringLiteral("再集計"), row);
    rerun_->setObjectName(QStringLiteral("cmdRerun"));

    // Two lines, so that the window can be narrow.
    auto* reading = new QHBoxLayout;
    reading->addWidget(new QLabel(QStringLiteral("枚数上限:"), row));
    reading->addWidget(copyLimit_);
    reading->addWidget(byFolder_);
    reading->addWidget(mergeByName_);
    reading->addStretch();
    reading->addWidget(rerun_);
    auto* comparing = new QHBoxLayout;
    comparing->addWidget(chooseBaseline);
    comparing->addWidget(clearBaseline_);
    comparing->addWidget(baseline_, 1);
    results_ = new ResultsSettingsRow(row);
    auto* layout = new QVBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(reading);
    layout->addLayout(comparing);
    layout->addWidget(results_);

    // Each step of the spin box would start a run: the run starts once the
    // steps pause, or at once when editing ends.
    copyLimitPause_ = new QTimer(this);
    copyLimitPause_->setSingleShot(true);
    copyLimitPause_->setInterval(400);
    connect(copyLimit_, &QSpinBox::valueChanged, copyLimitPause_, qOverload<>(&QTimer::start));
    connect(copyLimitPause_, &QTimer::timeout, this, &AnalysisWindow::settingsChanged);
    connect(copyLimit_, &QSpinBox::editingFinished, this, [this] {
        if (copyLimitPause_->isActive()) settingsChanged();
    });
    connect(byFolder_, &QCheckBox::toggled, this, &AnalysisWindow::settingsChanged);
    connect(mergeByName_, &QCheckBox::toggled, this, &AnalysisWindow::settingsChanged);
    connect(chooseBaseline, &QPushButton::clicked, this, &AnalysisWindow::chooseBaseline);
    connect(clearBaseline_, &QPushButton::clicked, this, &AnalysisWindow::clearBaseline);
    connect(rerun_, &QPushButton::clicked, this, &AnalysisWindow::rerun);
    connect(results_, &ResultsSettingsRow::changed, this, &AnalysisWindow::settingsChanged);
    return row;
}

QWidget* AnalysisWindow::makeCardPage() {
    auto* page = new QWidget(this);
    filter_ = new QLineEdit(page);
    filter_->setObjectName(QStringLiteral("txtFilter"));
    filter_->setPlaceholderText(QStringLiteral("No. またはカード名称で絞り込み"));
    filter_->setClearButtonEnabled(true);
    cards_ = new CardFiguresModel(this);
    shownCards_ = new CardFilterModel(*cards_, this);
    cardTable_ = new CardTableView(page);
    cardTable_->setObjectName(QStringLiteral("cardTable"));
    cardTable_->setModel(shownCards_);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(filter_);
    layout->addWidget(cardTable_, 1);
    connect(filter_, &QLineEdit::textChanged, shownCards_, &CardFilterModel::setFilterText);
    return page;
}

QWidget* AnalysisWindow::makeSkippedPage() {
    skipped_ = new QTableWidget(0, 3, this);
    skipped_->setObjectName(QStringLiteral("skippedLines"));
    skipped_->setHorizontalHeaderLabels({QStringLiteral("ファイル"), QStringLiteral("行"), QStringLiteral("内容")});
    skipped_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    skipped_->setSelectionBehavior(QAbstractItemView::SelectRows);
    skipped_->verticalHeader()->hide();
    skipped_->horizontalHeader()->setStretchLastSection(true);
    skipped_->setToolTip(QStringLiteral("ダブルクリックでファイルのフォルダーを開きます"));
    connect(skipped_, &QTableWidget::cellDoubleClicked, this, [this](int row) { openSkippedLineFolder(row); });
    return skipped_;
}

void AnalysisWindow::showSettings() {
    const QSignalBlocker quiet1(copyLimit_), quiet2(byFolder_), quiet3(mergeByName_);
    copyLimit_->setValue(settings_.copyLimit);
    byFolder_->setChecked(settings_.byFolder);
    mergeByName_->setChecked(settings_.mergeByName);
    baseline_->setText(settings_.baseline.isEmpty() ? QStringLiteral("比較なし")
                                                    : QStringLiteral("比較: ") + QDir::toNativeSeparators(settings_.baseline));
    baseline_->setToolTip(baseline_->text());
    clearBaseline_->setEnabled(!settings_.baseline.isEmpty());
    results_->show(settings_);
}

void AnalysisWindow::settingsChanged() {
    copyLimitPause_->stop();
    settings_.copyLimit = copyLimit_->value();
    settings_.byFolder = byFolder_->isChecked();
    settings_.mergeByName = mergeByName_->isChecked();
    results_->applyTo(settings_);
    settings_.save();
    showSettings();
    rerun();
}

void AnalysisWindow::chooseBaseline() {
    const QString start = settings_.baseline.isEmpty() ? QDir::currentPath() : settings_.baseline;
    const std::optional<QString> chosen = prompts_.askFolder(this, QStringLiteral("比較するフォルダー"), start);
    if (!chosen) return;
    settings_.baseline = *chosen;
    settings_.save();
    showSettings();
    rerun();
}

void AnalysisWindow::clearBaseline() {
    settings_.baseline.clear();
    settings_.save();
    showSettings();
    rerun();
}

void AnalysisWindow::mainRunStarted() {
    mainRunning_ = true;
    runner_->cancel();
    setGreyed(true);
    showStatus();
}

void AnalysisWindow::mainRunEnded(bool completed) {
    mainRunning_ = false;
    if (completed) stale_ = true;
    if (isVisible() && stale_) {
        rerun();
        return;
    }
    setGreyed(false);
    showStatus();
}

void AnalysisWindow::rerun() {
    if (mainRunning_) return;
    AnalysisRequest request = source_();
    settings_.applyTo(request);
    request.report = true;
    request.averageDecks = true;
    stale_ = false;
    runner_->start(request);
    setGreyed(true);
    showStatus();
}

void AnalysisWindow::showResult(std::shared_ptr<const AnalysisResult> result) {
    result_ = std::move(result);
    const ReportData& shownData = result_->data;
    cards_->setReport(std::shared_ptr<const CardReport>(result_, &shownData.report), shownData.baseline.has_value());
    cardTable_->setColumnWidth(CardFiguresModel::kNameColumn, 200);
    // The pages share the result, through its report data.
    const std::shared_ptr<const ReportData> shown(result_, &shownData);
    chart_->setData(shown);
    typePage_->setData(shown);
    averagePage_->setData(shown);
    showSkippedLines();
    setGreyed(false);
    showStatus();
    emit resultShown();
}

void AnalysisWindow::showFailure(const QString& message) {
    setGreyed(false);
    showStatus();
    status_->setText(status_->text() + QStringLiteral("  分析できませんでした: ") + QString(message).replace('\n', ' '));
}

// The warnings first, then the lines read past.
void AnalysisWindow::showSkippedLines() {
    skipped_->setRowCount(0);
    const std::vector<SkippedLine>& warnings = result_->warnings;
    const std::vector<SkippedLine>& lines = result_->skipped;
    skipped_->setRowCount(static_cast<int>(warnings.size() + lines.size()));
    const QDir folder(QString::fromStdString(pathText(result_->request.folder)));
    for (std::size_t i = 0; i < warnings.size() + lines.size(); ++i) {
        const bool warning = i < warnings.size();
        const SkippedLine& shown = warning ? warnings[i] : lines[i - warnings.size()];
        const int row = static_cast<int>(i);
        skipped_->setItem(row, 0, new QTableWidgetItem(folder.relativeFilePath(text(pathText(shown.file)))));
        auto* line = new QTableWidgetItem(shown.line == 0 ? QString() : QString::number(shown.line));
        line->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        skipped_->setItem(row, 1, line);
        skipped_->setItem(row, 2, new QTableWidgetItem((warning ? QStringLiteral("警告: ") : QString()) + text(shown.text)));
    }
    skipped_->resizeColumnToContents(0);
}

void AnalysisWindow::openSkippedLineFolder(int row) {
    if (!result_ || row < 0) return;
    const std::size_t index = static_cast<std::size_t>(row);
    const std::size_t warnings = result_->warnings.size();
    if (index >= warnings + result_->skipped.size()) return;
    const SkippedLine& line = index < warnings ? result_->warnings[index] : result_->skipped[index - warnings];
    emit folderRequested(line.file.parent_path());
}

// The tabs stay usable; what they show is greyed until the run ends.
void AnalysisWindow::setGreyed(bool greyed) {
    for (int i = 0; i < tabs_->count(); ++i) tabs_->widget(i)->setEnabled(!greyed);
    rerun_->setEnabled(!mainRunning_);
}

void AnalysisWindow::showStatus() {
    QString shown;
    if (result_) {
        const ReportData& shownData = result_->data;
        shown = QStringLiteral("%1  デッキ %2  カード %3")
                    .arg(QDir::toNativeSeparators(text(shownData.folder)))
                    .arg(shownData.report.deckCount)
                    .arg(shownData.report.cards.size());
        if (shownData.baseline) {
            shown += QStringLiteral("  比較: %1（デッキ %2）")
                         .arg(QDir::toNativeSeparators(text(shownData.baseline->folder)))
                         .arg(shownData.baseline->decks);
        }
        if (!result_->warnings.empty()) shown += QStringLiteral("  警告 %1").arg(result_->warnings.size());
        if (!result_->skipped.empty()) {
            shown += QStringLiteral("  読み飛ばした行 %1%2").arg(result_->skipped.size()).arg(result_->skippedCut ? "+" : "");
        }
    } else {
        shown = QStringLiteral("まだ分析していません。");
    }
    if (mainRunning_) shown = QStringLiteral("集計中… ") + shown;
    else if (runner_->running()) shown = QStringLiteral("分析中… ") + shown;
    status_->setText(shown);
}

void AnalysisWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_ && !mainRunning_ && !runner_->running()) rerun();
}

// Closing stops the run; the window opens on a fresh one next time.
void AnalysisWindow::closeEvent(QCloseEvent* event) {
    if (runner_->running()) {
        runner_->cancel();
        stale_ = true;
    }
    setGreyed(false);
    AppSettings stored;
    stored.setValue(QStringLiteral("analysis/geometry"), saveGeometry());
    stored.setValue(QStringLiteral("analysis/tab"), tabs_->currentIndex());
    event->accept();
}

}  // namespace sormel
