#include "deck_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "text_decoding.h"

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
        case ENOMEM: return "メモリが不足しています。";
        case ENAMETOOLONG: return "パスが長すぎます。";
        case EMFILE:
        case ENFILE: return "開いているファイルが多すぎます。";
        default: return std::string("システムエラー: ") + std::strerror(errorNumber);
    }
}

void readWholeFile(const std::filesystem::path& path, std::string& buffer) {
    auto fail = [&](int errorNumber) {
        throw FileError("ファイルを読み込めません。" + describeSystemError(errorNumber) + "\nファイル: " +
                        displayPath(path));
    };
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) fail(errno);
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    buffer.clear();
    constexpr std::size_t kChunk = 64 * 1024;
    thread_local std::unique_ptr<char[]> chunk(new char[kChunk]);
    for (;;) {
        const std::size_t got = std::fread(chunk.get(), 1, kChunk, file.get());
        buffer.append(chunk.get(), got);
        if (got < kChunk) {
            if (std::ferror(file.get())) fail(errno);
            break;
        }
    }
}

}  // namespace sormel
