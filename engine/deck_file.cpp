#include "engine/deck_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/text_decoding.h"

namespace sormel {

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
