#include "engine/file_error.h"

#include <cerrno>
#include <string>

#include "engine/path_bytes.h"
#include "engine/text_decoding.h"
#include "engine/visible_text.h"

namespace sormel {

std::string displayPath(const std::filesystem::path& path) { return visibleText(pathText(path)); }

std::string pathText(const std::filesystem::path& path) { return toValidUtf8(pathBytes(path)); }

std::string describeSystemError(int errorNumber) {
    switch (errorNumber) {
        case ENOENT: return "ファイルまたはフォルダーが見つかりません。";
        case EACCES:
        case EPERM: return "アクセスが拒否されました。";
        case EISDIR: return "ファイルではなくフォルダーです。";
        case ENOTDIR: return "パスの途中がフォルダーではありません。";
        case ENOSPC: return "ディスクの空き容量が不足しています。";
        case EDQUOT: return "ディスクの割り当てを超えました。";
        case EFBIG: return "ファイルが大きすぎます。";
        case EROFS: return "読み取り専用のファイルシステムです。";
        case EIO: return "入出力エラーが発生しました。";
        case EAGAIN: return "今は読み書きできません（待ち続けることになるファイルです）。";
        case ENOMEM: return "メモリが不足しています。";
        case ENAMETOOLONG: return "パスが長すぎます。";
        case EMFILE:
        case ENFILE: return "開いているファイルが多すぎます。";
        case EEXIST: return "同じ名前のファイルまたはフォルダーがすでにあります。";
        case ENOTEMPTY: return "フォルダーが空ではありません。";
        case EXDEV: return "別のドライブ（ファイルシステム）へは移動できません。";
        case EBUSY:
        case ETXTBSY: return "ファイルが使用中です。";
        case ELOOP: return "リンクが多すぎるか、循環しています。";
        case EMLINK: return "リンクが多すぎます。";
        case EINVAL: return "この操作はここではできません（無効な引数です）。";
        case ENOTSUP: return "この操作はファイルシステムが対応していません。";
        case ENXIO:
        case ENODEV: return "デバイスがありません。";
        case EPIPE: return "パイプを読み取るプログラムが終了しました。";
        case ESTALE: return "ネットワーク上のファイルが無効になりました。";
        case ETIMEDOUT: return "時間内に応答がありませんでした。";
        case EINTR: return "処理が中断されました。";
        case EOVERFLOW: return "ファイルが大きすぎて扱えません。";
        default: return "システムエラーが発生しました（エラー番号 " + std::to_string(errorNumber) + "）。";
    }
}

}  // namespace sormel
