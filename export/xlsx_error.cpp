#include "export/xlsx_error.h"

#include <xlsxwriter.h>

namespace sormel {

std::string describeXlsxError(int error) {
    switch (error) {
        case LXW_ERROR_MEMORY_MALLOC_FAILED: return "メモリが不足しています。";
        case LXW_ERROR_CREATING_XLSX_FILE:
            return "一時フォルダーにブックを書き込めません（空き容量と書き込みの権限を確認してください）。";
        case LXW_ERROR_CREATING_TMPFILE:
            return "一時ファイルを作成できません（一時フォルダーの空き容量、開いているファイルの数を確認してください）。";
        case LXW_ERROR_READING_TMPFILE: return "一時ファイルを読み込めません。";
        case LXW_ERROR_ZIP_FILE_OPERATION:
        case LXW_ERROR_ZIP_PARAMETER_ERROR:
        case LXW_ERROR_ZIP_BAD_ZIP_FILE:
        case LXW_ERROR_ZIP_INTERNAL_ERROR:
        case LXW_ERROR_ZIP_FILE_ADD:
        case LXW_ERROR_ZIP_CLOSE: return "ブックを圧縮できません（一時フォルダーの空き容量を確認してください）。";
        case LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED:
        case LXW_ERROR_INVALID_SHEETNAME_CHARACTER:
        case LXW_ERROR_SHEETNAME_START_END_APOSTROPHE:
        case LXW_ERROR_SHEETNAME_ALREADY_USED: return "シート名が Excel の規則に合いません。";
        case LXW_ERROR_32_STRING_LENGTH_EXCEEDED:
        case LXW_ERROR_128_STRING_LENGTH_EXCEEDED:
        case LXW_ERROR_255_STRING_LENGTH_EXCEEDED:
        case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED: return "文字列が Excel の上限を超えています。";
        case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE: return "行または列が Excel の上限を超えています。";
        default: return "Excel ライブラリがエラーを返しました（番号 " + std::to_string(error) + "）。";
    }
}

}  // namespace sormel
