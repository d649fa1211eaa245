#include "app/window_module.h"

#include <dlfcn.h>

#include <filesystem>
#include <iostream>

#include "app/exit_codes.h"
#include "engine/product.h"

namespace sormel {
namespace {

constexpr const char* kWindowModule = "sormel-checker-window.so";

}  // namespace

const char* windowUnavailableReason() { return nullptr; }

int runWindowModule(const char* programName) {
    // Beside the program in the build folder, or in lib/sormel-checker of
    // the installation.
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path();
    for (const std::filesystem::path& candidate :
         {folder / kWindowModule, folder.parent_path() / "lib" / "sormel-checker" / kWindowModule}) {
        if (!std::filesystem::exists(candidate, ignored)) continue;
        using WindowMain = int (*)(int, char**);
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        const auto windowMain = module ? reinterpret_cast<WindowMain>(dlsym(module, "sormelWindowMain")) : nullptr;
        if (!windowMain) {
            std::cerr << kProductTitle << ": ウィンドウを読み込めません: " << dlerror() << '\n';
            return kExitUsage;
        }
        // The command line was read already: Qt sees only the program's name.
        std::string name = programName;
        char* arguments[] = {name.data(), nullptr};
        return windowMain(1, arguments);
    }
    std::cerr << kProductTitle << ": ウィンドウのモジュール " << kWindowModule << " が見つかりません。\n";
    return kExitUsage;
}

}  // namespace sormel
