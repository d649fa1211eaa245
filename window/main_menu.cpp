#include "window/main_menu.h"

#include <QAction>
#include <QDir>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace sormel {

MainMenu::MainMenu(QWidget* window) : QObject(window), bar_(new QMenuBar(window)) {
    bar_->setObjectName(QStringLiteral("menuBar"));
    QMenu* file = bar_->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* open = addAction(file, QStringLiteral("フォルダーを開く…"), "actOpenFolder");
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    recent_ = file->addMenu(QStringLiteral("最近使ったフォルダー"));
    recent_->setObjectName(QStringLiteral("mnuRecent"));
    commands_.append(recent_->menuAction());
    file->addSeparator();
    save_ = addAction(file, QStringLiteral("結果保存(&S)…"), "actSave");
    file->addSeparator();
    QAction* exit = addAction(file, QStringLiteral("終了(&X)"), "actExit");

    QMenu* view = bar_->addMenu(QStringLiteral("表示(&V)"));
    view->setObjectName(QStringLiteral("mnuView"));
    QAction* analysis = addAction(view, QStringLiteral("分析ウィンドウ(&A)"), "actAnalysis");
    analysis->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));

    QMenu* help = bar_->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction* about = addAction(help, QStringLiteral("バージョン情報"), "actAbout");

    connect(open, &QAction::triggered, this, &MainMenu::openFolderRequested);
    connect(save_, &QAction::triggered, this, &MainMenu::saveRequested);
    connect(exit, &QAction::triggered, this, &MainMenu::exitRequested);
    connect(analysis, &QAction::triggered, this, &MainMenu::analysisRequested);
    connect(about, &QAction::triggered, this, &MainMenu::aboutRequested);
    for (QMenu* menu : {file, view, help}) connect(menu, &QMenu::aboutToShow, this, &MainMenu::aboutToShow);
    showRecentFolders({});
    setSaveEnabled(false);
}

QAction* MainMenu::addAction(QMenu* menu, const QString& text, const char* name) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    // The shortcuts work wherever the focus is in the window, as the
    // controls' own keys do.
    action->setShortcutContext(Qt::WindowShortcut);
    bar_->parentWidget()->addAction(action);
    commands_.append(action);
    return action;
}

void MainMenu::setCommandsEnabled(bool enabled) {
    commandsEnabled_ = enabled;
    for (QAction* action : commands_) action->setEnabled(enabled);
    save_->setEnabled(enabled && saveEnabled_);
    recent_->menuAction()->setEnabled(enabled && !recent_->isEmpty());
}

void MainMenu::setSaveEnabled(bool enabled) {
    saveEnabled_ = enabled;
    save_->setEnabled(commandsEnabled_ && enabled);
}

// Each entry shows the folder as the system writes it, numbered for the keyboard.
void MainMenu::showRecentFolders(const QStringList& folders) {
    recent_->clear();
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const QString folder = folders[i];
        QString label = QDir::toNativeSeparators(folder);
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = recent_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(label));
        action->setData(folder);
        connect(action, &QAction::triggered, this, [this, folder] { emit recentFolderChosen(folder); });
    }
    recent_->menuAction()->setEnabled(commandsEnabled_ && !folders.isEmpty());
}

}  // namespace sormel
