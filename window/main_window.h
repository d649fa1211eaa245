// The program's one window. The user picks a drive, a folder and a file
// mask, starts a tally of the listed deck files, sorts and saves the
// resulting usage table.
//
// The controls and their design names are in MainWindowUi; the choice of
// folder and mask is FolderSelection's, the run WindowRun's. The window
// itself holds the table they share, and answers the command buttons,
// the menu bar above the controls, folders dropped on it, the keyboard and
// the close request. The analysis window is its own, opened from the menu.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <filesystem>

#include "engine/usage_table.h"
#include "window/main_window_ui.h"

namespace sormel {

class AnalysisWindow;
class FolderSelection;
class MainMenu;
class UsageTableModel;
class UserPrompts;
class WindowRun;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // Opens on the process's current directory; every message and the
    // save-as dialog go through `prompts`.
    explicit MainWindow(UserPrompts& prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The usage table the grid shows.
    const UsageTable& table() const { return table_; }

signals:
    // A run is about to read file `index` (0-based) of the file list.
    void fileReadingStarted(qsizetype index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setUpMenu();
    void chooseFolder();
    // Opens `folder` as the folder list would, and remembers it.
    void openFolder(const std::filesystem::path& folder);
    void showDeckFile(const std::filesystem::path& file);
    void openRecentFolder(const QString& folder);
    void showAnalysis();
    void showAbout();
    void startRun();
    void saveResults();
    void exitOrCancel();
    void resortResults(SortChoice choice);

    UserPrompts& prompts_;
    UsageTable table_;
    UsageTableModel* model_;
    MainWindowUi ui_;
    FolderSelection* selection_;
    WindowRun* run_;
    MainMenu* menu_;
    // Made when first asked for.
    AnalysisWindow* analysis_ = nullptr;
    // The window was closed during a run; it closes once the run has wound down.
    bool closeRequested_ = false;
    // Since the click on キャンセル(&C) that stopped the last run.
    QElapsedTimer sinceCancelClick_;
};

}  // namespace sormel
