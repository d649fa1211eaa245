// What the window tests share: a folder of deck files that is the current
// directory while the window lives, deck texts, and ways to act during a run.
#pragma once

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "window/main_window.h"
#include "scripted_prompts.h"
#include "window_controls.h"

namespace window_test {

using sormel::MessageIcon;

inline const QString kCompleted = QStringLiteral("集計が完了しました。");

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A deck whose card `i` of `cards` appears with `i + 1` copies, plus a side part.
inline QByteArray deckText(int cards, const QByteArray& sideCard = "SD-001") {
    QByteArray text = "count,number,name\r\n";
    for (int i = 0; i < cards; ++i)
        text +=
            QByteArray::number(i % 3 + 1) + ",AB-" + QByteArray::number(i) + ",Card " + QByteArray::number(i) + "\r\n";
    text += "--\r\n2," + sideCard + ",Side card\r\n";
    return text;
}

// A fresh folder of deck files that is the current directory while the
// window lives, and fresh settings (recent folders, the analysis window's).
class Fixture {
public:
    explicit Fixture(int decks = 3) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_.path());
        previous_ = QDir::currentPath();
        for (int d = 0; d < decks; ++d)
            writeFile(path(QStringLiteral("deck%1.txt").arg(d, 3, 10, QChar('0'))), deckText(d + 2));
        QDir::setCurrent(folder_.path());
    }
    // The folder goes by the system's own removal: Qt cannot name, and so
    // would leave behind, the files some tests give names that are not UTF-8.
    ~Fixture() {
        QDir::setCurrent(previous_);
        window_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(folder_.path()).toStdString(), ignored);
    }

    QString path(const QString& name) const { return folder_.filePath(name); }
    sormel::MainWindow& open() {
        window_ = std::make_unique<sormel::MainWindow>(prompts);
        window_->show();
        return *window_;
    }
    sormel::MainWindow& window() { return *window_; }

    ScriptedPrompts prompts;

private:
    QTemporaryDir settings_;
    QTemporaryDir folder_;
    QString previous_;
    std::unique_ptr<sormel::MainWindow> window_;
};

// Runs `action` inside the run's event processing, just before the first
// line of file `position` is read.
inline void whenFileStarts(sormel::MainWindow& window, int position, std::function<void()> action) {
    auto fired = std::make_shared<bool>(false);
    QObject::connect(&window, &sormel::MainWindow::fileReadingStarted, &window, [=](qsizetype index) {
        if (*fired || index != position) return;
        *fired = true;
        QTimer::singleShot(0, action);
    });
}

inline int selectedFile(const sormel::MainWindow& window) { return WindowControls(window).fleList->currentIndex().row(); }

inline QString cell(const sormel::MainWindow& window, int row, int column) {
    return WindowControls(window).mfgList->model()->index(row, column).data().toString();
}

// The window's action named `name`; a test cannot go on without it.
inline QAction* action(const QWidget& window, const char* name) {
    auto* found = window.findChild<QAction*>(QString::fromLatin1(name));
    if (!found) qFatal("no action %s", name);
    return found;
}

}  // namespace window_test
