// The analysis window: the per-card report of the main window's folder in
// a sortable, filterable table, charts, the deck types, the average deck
// and the lines the run read past, with settings of its own (copy limit,
// deck types from sub-folders or rules, merging printings by name, a baseline
// folder) that shape only this window.
//
// It runs its analysis in the background after each completed run of the
// main window and on 再集計. While a run is on it shows the last completed
// analysis greyed; a cancelled or failed run leaves that one in place.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "window/analysis_runner.h"
#include "window/analysis_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QTableWidget;

namespace sormel {

class AverageDeckPage;
class NotesPage;
class CardPage;
class TrendPage;
class ResultsSettingsRow;
class TypePage;
class TypeSourceBox;
class UsageChart;
class UserPrompts;

class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    // `source` gives the main window's folder, mask and reading options.
    AnalysisWindow(UserPrompts& prompts, std::function<AnalysisRequest()> source, QWidget* parent = nullptr);
    ~AnalysisWindow() override;

    // The main window started a run: its own stops, the result greys.
    void mainRunStarted();
    // The main window's run ended; a completed one is analysed (at once
    // when the window is open, else when it opens).
    void mainRunEnded(bool completed);
    // Analyses the main window's folder now with the current settings.
    void rerun();

    bool busy() const { return runner_->running(); }
    // The analysis on show; null before the first one.
    const AnalysisResult* result() const { return result_.get(); }

signals:
    // The user asked to see deck `file` in the main window's file list.
    void fileRequested(const std::filesystem::path& file);
    // An analysis was put on show.
    void resultShown();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* makeSettingsRow();
    void showSettings();
    void settingsChanged();
    void chooseBaseline();
    void chooseFolderSetting(QString& setting, const QString& title);
    void applySettings();
    void askForSuggestion();
    void saveSuggestion(const std::filesystem::path& target, const std::string& rules);
    void openDeck(const QString& file);
    void clearBaseline();
    void showResult(std::shared_ptr<const AnalysisResult> result);
    void showFailure(const QString& message);
    void setGreyed(bool greyed);
    void showStatus();
    // What an analysis now would be asked: the main window's folder and
    // reading options with this window's settings.
    AnalysisRequest wantedRequest() const;
    // The message bar: the last failure, and whether the analysis on show is
    // no longer that of the folder, mask and settings on screen.
    void showMessages();

    UserPrompts& prompts_;
    std::function<AnalysisRequest()> source_;
    AnalysisSettings settings_;
    AnalysisRunner* runner_;
    std::shared_ptr<const AnalysisResult> result_;
    bool mainRunning_ = false;
    bool stale_ = true;  // the result on show is not of the latest completed main run
    // Where the draft type rules go once the analysis asked for them completes.
    std::optional<std::filesystem::path> suggestionTarget_;

    QSpinBox* copyLimit_ = nullptr;
    QTimer* copyLimitPause_ = nullptr;  // steps of the spin box start one run
    TypeSourceBox* typeSource_ = nullptr;
    QCheckBox* mergeByName_ = nullptr;
    QLabel* baseline_ = nullptr;
    QPushButton* clearBaseline_ = nullptr;
    QPushButton* rerun_ = nullptr;
    ResultsSettingsRow* results_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* messageBar_ = nullptr;
    QString failure_;           // why the last analysis failed; empty after one that completed
    QTimer* freshness_ = nullptr;  // checks while the window is open that the analysis on show is current
    QTabWidget* tabs_ = nullptr;
    CardPage* cardPage_ = nullptr;
    UsageChart* chart_ = nullptr;
    TypePage* typePage_ = nullptr;
    AverageDeckPage* averagePage_ = nullptr;
    NotesPage* notes_ = nullptr;
    TrendPage* trendPage_ = nullptr;
};

}  // namespace sormel
