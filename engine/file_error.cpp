#include "engine/file_error.h"

#include <cerrno>
#include <cstring>

#include "engine/text_decoding.h"

namespace sormel {

std::string displayPath(const std::filesystem::path& path) { return toValidUtf8(path.native()); }

std::string describeSystemError(int errorNumber) {
    switch (errorNumber) {
        case ENOENT: return "ファイルまたはフォルダーが見つかりません。";
        case EACCES:
        case EPERM: return "アクセスが拒否されました。";
        case EISDIR: return "ファイルではなくフォルダーです。";
        case ENOTDIR: return "パスの途中がフォルダーではありません。";
        case ENOSPC: return "ディスクの空き容量が不足しています。";
        case EFBIG: return "ファイルが大きすぎます。";
        case EROFS: return "読み取り専用のファイルシステムです。";
        case EIO: return "入出力エラーが発生しました。";
        case EAGAIN: return "今は読み書きできません（待ち続けることになるファイルです）。";
        case ENOMEM: return "メモリが不足しています。";
        case ENAMETOOLONG: return "パスが長すぎます。";
        case EMFILE:
        case ENFILE: return "開いているファイルが多すぎます。";
        default: return std::string("システムエラー: ") + std::strerror(errorNumber);
    }
}

}  // namespace sormel
