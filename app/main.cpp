// sormel-checker: the window by default, the batch mode with --batch.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "app/batch_mode.h"
#include "app/command_line.h"
#include "app/process_setup.h"
#include "app/usage_error.h"
#include "app/window_module.h"
#include "engine/file_error.h"

namespace {

using namespace sormel;

// Qt opens its window on an X11 or Wayland display, or on the platform
// QT_QPA_PLATFORM names (offscreen, for one). Without any of them it would
// abort with a message of its own.
bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

int openWindow(const char* programName, const std::optional<std::filesystem::path>& folder) {
    if (const char* reason = windowUnavailableReason()) return usageError(reason);
    if (folder) {
        std::error_code error;
        if (!std::filesystem::is_directory(*folder, error)) {
            return usageError("フォルダーが見つかりません: " + displayPath(*folder));
        }
        // The window opens in the current folder. Changing to it here keeps
        // the name's bytes, whatever they are.
        std::filesystem::current_path(*folder, error);
        if (error) return usageError("フォルダーを開けません: " + displayPath(*folder));
    }
    if (!hasDisplay()) {
        return usageError(
            "ウィンドウを表示できる画面がありません（DISPLAY、WAYLAND_DISPLAY、QT_QPA_PLATFORM の"
            "いずれも設定されていません）。\n画面なしで集計するにはバッチモードを使ってください: "
            "sormel-checker --batch DIR");
    }
    return runWindowModule(programName);
}

}  // namespace

int main(int argc, char** argv) {
    prepareProcess(argc, argv);

    CommandLine line;
    try {
        line = parseCommandLine(argc, argv);
    } catch (const UsageError& error) {
        return usageError(error.what());
    }
    switch (line.action) {
        case CommandLine::Action::ShowHelp:
            std::cout << helpText();
            return kExitSuccess;
        case CommandLine::Action::ShowVersion:
            std::cout << versionText();
            return kExitSuccess;
        case CommandLine::Action::RunBatch:
            return runBatch(line.batch);
        case CommandLine::Action::OpenWindow:
            break;
    }
    return openWindow(argc > 0 ? argv[0] : "sormel-checker", line.windowFolder);
}
