// The window side of sormel-checker, loaded by main() only when the window
// is wanted.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include "window/dialog_prompts.h"
#include "window/main_window.h"
#include "app/usage_error.h"

// The window, opened in FOLDER when one is given (it becomes the current
// directory), otherwise in the current directory.
extern "C" __attribute__((visibility("default"))) int sormelWindowMain(int argc, char** argv) {
    using sormel::usageError;
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() > 1) return usageError("余分な引数があります: " + arguments.mid(1).join(' '));
    if (!arguments.isEmpty()) {
        const QString folder = arguments.front();
        if (folder.startsWith('-')) return usageError("不明なオプションです: " + folder);
        if (!QFileInfo(folder).isDir()) return usageError("フォルダーが見つかりません: " + folder);
        if (!QDir::setCurrent(folder)) return usageError("フォルダーを開けません: " + folder);
    }
    // The window speaks Japanese: so do the buttons of its message boxes and
    // the save dialog, when Qt's translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(&qtTexts);
    }
    sormel::DialogPrompts prompts;
    sormel::MainWindow window(prompts);
    app.setWindowIcon(window.windowIcon());
    window.show();
    return app.exec();
}
