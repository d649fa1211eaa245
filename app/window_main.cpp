// The window side of sormel-checker, loaded by main() only when the window
// is wanted.

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "window/dialog_prompts.h"
#include "window/main_window.h"
#include "window/start_folder.h"
#include "app/usage_error.h"

// The window, opened in FOLDER when one is given (it becomes the current
// directory), otherwise in the current directory.
extern "C" __attribute__((visibility("default"))) int sormelWindowMain(int argc, char** argv) {
    using sormel::usageError;
    // Takes Qt's own options out of argv; what is left are ours, as bytes.
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() > 1) return usageError("余分な引数があります: " + arguments.mid(1).join(' '));
    if (!arguments.isEmpty()) {
        if (arguments.front().startsWith('-')) return usageError("不明なオプションです: " + arguments.front());
        if (const auto problem = sormel::enterStartFolder(argv[1])) return usageError(QString::fromStdString(*problem));
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
