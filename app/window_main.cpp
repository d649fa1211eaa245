// The window side of sormel-checker, loaded by main() only when the window
// is wanted.

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "engine/product.h"
#include "window/dialog_prompts.h"
#include "window/main_window.h"

// The window, opened in the current folder: main() read the command line
// and changed to the folder it names.
extern "C" __attribute__((visibility("default"))) int sormelWindowMain(int argc, char** argv) {
    QApplication::setApplicationName(QString::fromUtf8(sormel::kProgramName.data(), sormel::kProgramName.size()));
    QApplication::setApplicationVersion(
        QString::fromUtf8(sormel::kProgramVersion.data(), sormel::kProgramVersion.size()));
    QApplication app(argc, argv);
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
