#include <iostream>

#include "app/exit_codes.h"
#include "app/window_module.h"
#include "engine/product.h"

namespace sormel {

const char* windowUnavailableReason() {
    return "この Windows 版にはウィンドウがありません。バッチモードで集計してください: "
           "sormel-checker.exe --batch フォルダー [オプション…]（オプションは --help）";
}

int runWindowModule(const char*) {
    std::cerr << kProductTitle << ": " << windowUnavailableReason() << '\n';
    return kExitUsage;
}

}  // namespace sormel
