// The main window's menu bar: ファイル (open a folder, the recent folders,
// save, exit), 表示 (the analysis window) and ヘルプ (version). The menu
// only says what the user chose; the window does it.
#pragma once

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace sormel {

class MainMenu : public QObject {
    Q_OBJECT
public:
    explicit MainMenu(QWidget* window);

    QMenuBar* bar() const { return bar_; }
    // Every command on or off (off during a run).
    void setCommandsEnabled(bool enabled);
    // 結果保存 follows whether there is a result to save.
    void setSaveEnabled(bool enabled);
    void showRecentFolders(const QStringList& folders);

signals:
    void openFolderRequested();
    void recentFolderChosen(const QString& folder);
    void saveRequested();
    void exitRequested();
    void analysisRequested();
    void aboutRequested();
    // A menu is about to open: the time to bring its entries up to date.
    void aboutToShow();

private:
    QAction* addAction(QMenu* menu, const QString& text, const char* name);

    QMenuBar* bar_;
    QMenu* recent_;
    QList<QAction*> commands_;
    QAction* save_ = nullptr;
    bool saveEnabled_ = false;
    bool commandsEnabled_ = true;
};

}  // namespace sormel
