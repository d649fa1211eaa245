// sormel-checker: the window by default, the batch mode with --batch.

#include <csignal>
#include <filesystem>
#include <cstring>
#include <iostream>

#include <dlfcn.h>

#include <QCommandLineParser>
#include <QCoreApplication>

#include "app/batch_mode.h"
#include "app/usage_error.h"

namespace {

constexpr const char* kTitle = "SORMELカード使用率チェッカー";
constexpr const char* kWindowModule = "sormel-checker-window.so";

// Options that need no window: decided before any application object
// exists, so that the batch mode also runs without a display.
bool wantsConsoleOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--batch", "--help", "-h", "--version", "-v", "--help-all"}) {
            if (std::strcmp(argv[i], option) == 0 || std::strncmp(argv[i], "--batch=", 8) == 0) return true;
        }
    }
    return false;
}

// The window lives in a module of its own, loaded only when it is wanted,
// so that the batch mode starts without loading the GUI libraries.
int runWindow(int argc, char** argv) {
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path();
    for (const std::filesystem::path& candidate :
         {folder / kWindowModule, folder.parent_path() / "lib" / "sormel-checker" / kWindowModule}) {
        if (!std::filesystem::exists(candidate, ignored)) continue;
        using WindowMain = int (*)(int, char**);
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        const auto windowMain = module ? reinterpret_cast<WindowMain>(dlsym(module, "sormelWindowMain")) : nullptr;
        if (windowMain) return windowMain(argc, argv);
        std::cerr << kTitle << ": ウィンドウを読み込めません: " << dlerror() << '\n';
        return sormel::kExitUsage;
    }
    std::cerr << kTitle << ": ウィンドウのモジュール " << kWindowModule << " が見つかりません。\n";
    return sormel::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // A write over the file size limit must fail with an error we can
    // report, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);

    QCoreApplication::setApplicationName("sormel-checker");
    QCoreApplication::setApplicationVersion("1.01");
    if (!wantsConsoleOnly(argc, argv)) return runWindow(argc, argv);
    QCoreApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kTitle) +
                                     " — フォルダー内のデッキファイルを集計し、カードの採用率と使用率を求めます。");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption batchOption("batch", "ウィンドウを開かずに DIR を集計し、CSV を出力します。", "DIR");
    const QCommandLineOption maskOption("mask", "集計するファイルのマスク（既定: *.txt。; で区切って複数指定可）。",
                                        "MASK", "*.txt");
    const QCommandLineOption noSideOption("no-side", "サイドデッキを集計に含めません。");
    const QCommandLineOption sortOption("sort", "並べ替え: decks（デッキ数、既定）または copies（枚数）。",
                                        "decks|copies", "decks");
    const QCommandLineOption outputOption("output", "CSV を FILE に保存します（既定: 標準出力）。", "FILE");
    const QCommandLineOption encodingOption("encoding", "CSV の文字コード: cp932（既定）または utf-8。",
                                            "cp932|utf-8", "cp932");
    parser.addPositionalArgument("FOLDER", "ウィンドウを開くフォルダー（既定: カレントフォルダー）。--batch とは併用できません。",
                                 "[FOLDER]");
    parser.addOptions({batchOption, maskOption, noSideOption, sortOption, outputOption, encodingOption});

    if (!parser.parse(app.arguments())) return sormel::usageError(parser.errorText());
    if (parser.isSet("help")) parser.showHelp(0);
    if (parser.isSet("version")) parser.showVersion();
    if (!parser.isSet(batchOption)) return sormel::usageError("--batch DIR を指定してください。");
    if (!parser.positionalArguments().isEmpty()) {
        return sormel::usageError("余分な引数があります: " + parser.positionalArguments().join(' '));
    }

    sormel::BatchOptions options;
    options.folder = parser.value(batchOption).toStdString();
    options.mask = parser.value(maskOption).toStdString();
    options.includeSidePart = !parser.isSet(noSideOption);
    const QString sort = parser.value(sortOption);
    if (sort == "copies") {
        options.sortChoice = sormel::SortChoice::ByCopies;
    } else if (sort != "decks") {
        return sormel::usageError("--sort には decks か copies を指定してください: " + sort);
    }
    const QString encoding = parser.value(encodingOption).toLower();
    if (encoding == "utf-8" || encoding == "utf8") {
        options.encoding = sormel::CsvEncoding::Utf8;
    } else if (encoding != "cp932") {
        return sormel::usageError("--encoding には cp932 か utf-8 を指定してください: " + encoding);
    }
    if (parser.isSet(outputOption)) options.output = parser.value(outputOption).toStdString();
    return sormel::runBatch(options);
}
