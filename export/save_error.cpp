#include "export/save_error.h"

#include <cerrno>

#include "engine/file_error.h"

namespace sormel {

// Errors that read the same for any file are described as everywhere else.
std::string describeSaveError(int errorNumber) {
    switch (errorNumber) {
        case ENOENT: return "保存先のフォルダーが見つかりません。";
        case EISDIR: return "同じ名前のフォルダーがあります。";
        case ENOTDIR: return "保存先のパスの途中がフォルダーではありません。";
        case EDQUOT: return "ディスクの割り当てを超えました。";
        case ELOOP: return "リンクが多すぎるか、循環しています。";
        case ENXIO: return "パイプを読み取るプログラムがありません。";
        case EPIPE: return "パイプを読み取るプログラムが途中で終了しました。";
        default: return describeSystemError(errorNumber);
    }
}

void failSave(const std::string& reason, const std::filesystem::path& target) {
    throw SaveError("ファイルを保存できません。" + reason + "\nファイル: " + displayPath(target));
}

void failSave(int errorNumber, const std::filesystem::path& target) {
    throw SaveError("ファイルを保存できません。" + describeSaveError(errorNumber) + "\nファイル: " + displayPath(target),
                    errorNumber);
}

bool SaveError::pipeWithoutReader() const { return errorNumber_ == ENXIO; }

}  // namespace sormel
