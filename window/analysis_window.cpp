#include "window/analysis_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "analysis/card_analysis.h"
#include "engine/file_error.h"
#include "export/atomic_file.h"
#include "window/app_settings.h"
#include "window/average_deck_page.h"
#include "window/card_figures_model.h"
#include "window/card_page.h"
#include "window/card_table_view.h"
#include "window/notes_page.h"
#include "window/save_flow.h"
#include "window/save_target.h"
#include "window/trend_page.h"
#include "window/results_settings.h"
#include "window/type_page.h"
#include "window/type_source_box.h"
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
    connect(typePage_, &TypePage::suggestionRequested, this, &AnalysisWindow::askForSuggestion);
    connect(typePage_, &TypePage::deckOpenRequested, this, &AnalysisWindow::openDeck);
    averagePage_ = new AverageDeckPage(prompts_, this);
    cardPage_ = new CardPage(this);
    tabs_->addTab(cardPage_, QStringLiteral("カード"));
    tabs_->addTab(chart_, QStringLiteral("グラフ"));
    tabs_->addTab(typePage_, QStringLiteral("デッキタイプ"));
    tabs_->addTab(averagePage_, QStringLiteral("平均デッキ"));
    notes_ = new NotesPage(this);
    connect(notes_, &NotesPage::fileRequested, this, &AnalysisWindow::fileRequested);
    tabs_->addTab(notes_, QStringLiteral("読み込みの注意"));

    trendPage_ = new TrendPage(prompts_, this);
    tabs_->addTab(trendPage_, QStringLiteral("推移"));
    connect(trendPage_, &TrendPage::chooseFolderRequested, this,
            [this] { chooseFolderSetting(settings_.periods, QStringLiteral("期間のフォルダー")); });
    connect(trendPage_, &TrendPage::clearFolderRequested, this, [this] {
        settings_.periods.clear();
        applySettings();
    });

    messageBar_ = new QLabel(this);
    messageBar_->setObjectName(QStringLiteral("messageBar"));
    messageBar_->setTextFormat(Qt::PlainText);
    messageBar_->setWordWrap(true);
    messageBar_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    messageBar_->setStyleSheet(QStringLiteral("QLabel { background: #fff4ce; color: #3b2f00; border: 1px solid #e0c36b; padding: 4px; }"));
    messageBar_->hide();
    freshness_ = new QTimer(this);
    freshness_->setInterval(500);
    connect(freshness_, &QTimer::timeout, this, &AnalysisWindow::showMessages);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeSettingsRow());
    layout->addWidget(messageBar_);
    layout->addWidget(tabs_, 1);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(status_);

    const AppSettings stored;
    // The layout gives the window its minimum size: every control whole.
    layout->setSizeConstraint(QLayout::SetDefaultConstraint);
    resize(900, 600);
    restoreGeometry(stored.value(QStringLiteral("analysis/geometry")).toByteArray());
    // Never larger than the screen it opens on (a size kept at another scale may be).
    if (const QScreen* shown = screen()) resize(size().boundedTo(shown->availableGeometry().size()));
    // Escape and Ctrl+W close the window, as they close other tool windows.
    QList<QKeySequence> closeKeys{QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)};
    for (const QKeySequence& keys : QKeySequence::keyBindings(QKeySequence::Close)) {
        if (!closeKeys.contains(keys)) closeKeys << keys;
    }
    auto* closing = new QAction(this);
    closing->setShortcuts(closeKeys);
    closing->setShortcutContext(Qt::WindowShortcut);
    addAction(closing);
    connect(closing, &QAction::triggered, this, &QWidget::close);
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
    typeSource_ = new TypeSourceBox(prompts_, row);
    mergeByName_ = new QCheckBox(QStringLiteral("同名カードをまとめる(&M)"), row);
    mergeByName_->setObjectName(QStringLiteral("chkMergeByName"));
    auto* chooseBaseline = new QPushButton(QStringLiteral("比較フォルダー(&B)…"), row);
    chooseBaseline->setObjectName(QStringLiteral("cmdBaseline"));
    clearBaseline_ = new QPushButton(QStringLiteral("比較をやめる(&N)"), row);
    clearBaseline_->setObjectName(QStringLiteral("cmdClearBaseline"));
    baseline_ = new QLabel(row);
    baseline_->setObjectName(QStringLiteral("lblBaseline"));
    baseline_->setTextFormat(Qt::PlainText);
    // A long path must not widen the window; the tooltip shows it whole.
    baseline_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    baseline_->setMinimumWidth(40);
    rerun_ = new QPushButton(QStringLiteral("再集計(&U)"), row);
    rerun_->setObjectName(QStringLiteral("cmdRerun"));

    // Two lines, so that the window can be narrow.
    auto* reading = new QHBoxLayout;
    auto* limitLabel = new QLabel(QStringLiteral("枚数上限(&L):"), row);
    limitLabel->setBuddy(copyLimit_);
    reading->addWidget(limitLabel);
    reading->addWidget(copyLimit_);
    reading->addWidget(mergeByName_);
    reading->addStretch(1);
    reading->addWidget(rerun_);
    auto* comparing = new QHBoxLayout;
    comparing->addWidget(typeSource_);
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
    connect(typeSource_, &TypeSourceBox::changed, this, &AnalysisWindow::settingsChanged);
    connect(mergeByName_, &QCheckBox::toggled, this, &AnalysisWindow::settingsChanged);
    connect(chooseBaseline, &QPushButton::clicked, this, &AnalysisWindow::chooseBaseline);
    connect(clearBaseline_, &QPushButton::clicked, this, &AnalysisWindow::clearBaseline);
    connect(rerun_, &QPushButton::clicked, this, &AnalysisWindow::rerun);
    connect(results_, &ResultsSettingsRow::changed, this, &AnalysisWindow::settingsChanged);
    return row;
}

void AnalysisWindow::showSettings() {
    const QSignalBlocker quiet1(copyLimit_), quiet2(typeSource_), quiet3(mergeByName_);
    copyLimit_->setValue(settings_.copyLimit);
    typeSource_->show(settings_);
    mergeByName_->setChecked(settings_.mergeByName);
    baseline_->setText(settings_.baseline.isEmpty() ? QStringLiteral("比較なし")
                                                    : QStringLiteral("比較: ") + QDir::toNativeSeparators(settings_.baseline));
    baseline_->setToolTip(baseline_->text());
    clearBaseline_->setEnabled(!settings_.baseline.isEmpty());
    trendPage_->setFolder(settings_.periods);
    results_->show(settings_);
}

void AnalysisWindow::settingsChanged() {
    copyLimitPause_->stop();
    settings_.copyLimit = copyLimit_->value();
    typeSource_->applyTo(settings_);
    settings_.mergeByName = mergeByName_->isChecked();
    results_->applyTo(settings_);
    applySettings();
}

void AnalysisWindow::chooseBaseline() { chooseFolderSetting(settings_.baseline, QStringLiteral("比較するフォルダー")); }

// Asks for a folder (starting at the one set) and puts it in `setting`.
void AnalysisWindow::chooseFolderSetting(QString& setting, const QString& title) {
    const QString start = setting.isEmpty() ? QDir::currentPath() : setting;
    const std::optional<QString> chosen = prompts_.askFolder(this, title, start);
    if (!chosen) return;
    setting = *chosen;
    applySettings();
}

// Keeps the settings, shows them, and analyses with them.
void AnalysisWindow::applySettings() {
    settings_.save();
    showSettings();
    rerun();
}

void AnalysisWindow::clearBaseline() {
    settings_.baseline.clear();
    applySettings();
}

void AnalysisWindow::mainRunStarted() {
    mainRunning_ = true;
    // An analysis cut short is made again once the run ends, whether or
    // not the run completes.
    if (runner_->running()) stale_ = true;
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

AnalysisRequest AnalysisWindow::wantedRequest() const {
    AnalysisRequest request = source_();
    settings_.applyTo(request);
    request.report = true;
    request.averageDecks = true;
    return request;
}

// During a main run the analysis waits for the run's end.
void AnalysisWindow::rerun() {
    if (mainRunning_) {
        stale_ = true;
        return;
    }
    AnalysisRequest request = wantedRequest();
    request.suggestTypes = suggestionTarget_.has_value();
    stale_ = false;
    failure_.clear();
    runner_->start(request);
    setGreyed(true);
    showStatus();
}

void AnalysisWindow::showMessages() {
    QStringList lines;
    if (!failure_.isEmpty()) lines << QStringLiteral("分析できませんでした: ") + failure_;
    if (result_ && !runner_->running() && !mainRunning_) {
        AnalysisRequest shown = result_->request;
        shown.suggestTypes = false;
        if (!(shown == wantedRequest())) {
            lines << QStringLiteral("古い結果: 表示中の分析は、いまのフォルダー・マスク・設定によるものではありません。"
                                    "再集計で更新します。");
        }
    }
    const QString text = lines.join('\n');
    if (messageBar_->text() != text) messageBar_->setText(text);
    messageBar_->setVisible(!text.isEmpty());
}

void AnalysisWindow::showResult(std::shared_ptr<const AnalysisResult> result) {
    result_ = std::move(result);
    const ReportData& shownData = result_->data;
    cardPage_->setReport(std::shared_ptr<const CardReport>(result_, &shownData.report), shownData.baseline.has_value());
    // The pages share the result, through its report data.
    const std::shared_ptr<const ReportData> shown(result_, &shownData);
    chart_->setData(shown);
    typePage_->setData(shown, result_->request.folder);
    averagePage_->setData(shown);
    notes_->setResult(result_);
    trendPage_->setData(shown);
    setGreyed(false);
    showStatus();
    if (suggestionTarget_ && result_->request.suggestTypes) {
        const std::filesystem::path target = *std::exchange(suggestionTarget_, std::nullopt);
        saveSuggestion(target, result_->suggestedRules);
    }
    emit resultShown();
}

// The draft needs a run of its own: the file is asked for first, and
// written once that run completes.
void AnalysisWindow::askForSuggestion() {
    const QString filter = QStringLiteral("デッキタイプのルール (*.toml)");
    const std::optional<QString> chosen =
        prompts_.askSaveFileName(this, QDir::currentPath(), filter, QStringLiteral("タイプ案.toml"));
    if (!chosen) return;
    reportingErrors(prompts_, this, [&] {
        suggestionTarget_ = saveTargetPath(withFilterExtension(*chosen, filter));
        rerun();
    });
}

void AnalysisWindow::saveSuggestion(const std::filesystem::path& target, const std::string& rules) {
    try {
        writeFileAtomically(target, rules);
    } catch (const std::exception& error) {
        showError(prompts_, this, error.what());
        return;
    }
    const bool use = prompts_.askYesNo(
        this, QStringLiteral("デッキタイプの案を保存しました。\nこのルールでデッキタイプを判定しますか？"),
        QStringLiteral("タイプ案"));
    if (use) typeSource_->useRulesFile(QFile::decodeName(QByteArray::fromStdString(target.string())));
}

void AnalysisWindow::openDeck(const QString& file) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file))) {
        showError(prompts_, this, "ファイルを開けませんでした: " + QDir::toNativeSeparators(file).toStdString());
    }
}

void AnalysisWindow::showFailure(const QString& message) {
    // No draft can be made of a run that failed; the message says why.
    suggestionTarget_.reset();
    failure_ = message;
    setGreyed(false);
    showStatus();
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
    status_->setToolTip(shown);
    showMessages();
}

void AnalysisWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    freshness_->start();
    if (stale_ && !mainRunning_ && !runner_->running()) rerun();
}

void AnalysisWindow::hideEvent(QHideEvent* event) {
    freshness_->stop();
    QWidget::hideEvent(event);
}

// Closing stops the run; the window opens on a fresh one next time.
void AnalysisWindow::closeEvent(QCloseEvent* event) {
    if (runner_->running()) {
        runner_->cancel();
        stale_ = true;
    }
    suggestionTarget_.reset();
    setGreyed(false);
    AppSettings stored;
    stored.setValue(QStringLiteral("analysis/geometry"), saveGeometry());
    stored.setValue(QStringLiteral("analysis/tab"), tabs_->currentIndex());
    event->accept();
}

}  // namespace sormel
