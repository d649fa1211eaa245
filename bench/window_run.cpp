// Times one whole run through the window: from the click on the start
// button to the completion message. Optionally saves a picture of the
// window after the run.
//
//   window_run DIR [--high-speed] [--screenshot FILE.png]
//
// Prints the run's wall time in seconds on standard output.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <chrono>
#include <iostream>

#include "window/main_window.h"
#include "window/user_prompts.h"

namespace {

using Clock = std::chrono::steady_clock;

// Notes when the completion message comes; any other message is a failure.
class TimingPrompts : public sormel::UserPrompts {
public:
    void tell(QWidget*, const QString& text, const QString&, sormel::MessageIcon icon) override {
        shownAt = Clock::now();
        completed = icon == sormel::MessageIcon::Information;
        if (!completed) std::cerr << text.toStdString() << '\n';
    }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
    std::optional<QString> askSaveFileName(QWidget*, const QString&, const QString&, const QString&,
                                           QString*) override {
        return std::nullopt;
    }
    std::optional<QString> askFolder(QWidget*, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> askOpenFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }

    Clock::time_point shownAt;
    bool completed = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool highSpeed = arguments.removeAll("--high-speed") > 0;
    QString screenshot;
    if (const qsizetype at = arguments.indexOf("--screenshot"); at >= 0 && at + 1 < arguments.size()) {
        screenshot = arguments.takeAt(at + 1);
        arguments.removeAt(at);
    }
    if (arguments.size() != 1 || !QDir::setCurrent(arguments.front())) {
        std::cerr << "usage: window_run DIR [--high-speed] [--screenshot FILE.png]\n";
        return 2;
    }

    TimingPrompts prompts;
    sormel::MainWindow window(prompts);
    window.findChild<QCheckBox*>("chkHiSp")->setChecked(highSpeed);
    window.show();
    QApplication::processEvents();

    const Clock::time_point clicked = Clock::now();
    window.findChild<QPushButton*>("cmdExec")->click();
    if (!prompts.completed) return 1;
    std::cout << std::chrono::duration<double>(prompts.shownAt - clicked).count() << '\n';

    if (!screenshot.isEmpty()) {
        QApplication::processEvents();
        if (!window.grab().save(screenshot)) {
            std::cerr << "cannot save " << screenshot.toStdString() << '\n';
            return 1;
        }
    }
    return 0;
}
