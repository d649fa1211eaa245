#include "export/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "engine/file_error.h"

namespace sormel {
namespace {

// What a failed save means to the user; errors that read the same for any
// file are described as everywhere else.
std::string describe(int errorNumber) {
    switch (errorNumber) {
        case ENOENT: return "保存先のフォルダーが見つかりません。";
        case EISDIR: return "同じ名前のフォルダーがあります。";
        case ENOTDIR: return "保存先のパスの途中がフォルダーではありません。";
        case EDQUOT: return "ディスクの割り当てを超えました。";
        default: return describeSystemError(errorNumber);
    }
}

[[noreturn]] void fail(const std::string& reason, const std::filesystem::path& target) {
    throw SaveError("ファイルを保存できません。" + reason + "\nファイル: " + displayPath(target));
}

bool ownerMayWrite(const std::filesystem::file_status& status) {
    return (status.permissions() & std::filesystem::perms::owner_write) != std::filesystem::perms::none;
}

std::filesystem::path temporaryPathBeside(const std::filesystem::path& target) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    std::string name(1, '.');
    name.append(target.filename().native());
    name.append(suffix);
    return target.parent_path() / name;
}

}  // namespace

void writeFileAtomically(const std::filesystem::path& requested, std::string_view bytes) {
    std::error_code error;
    // Write where a link points, so that the link itself stays.
    std::filesystem::path target = requested;
    if (std::filesystem::is_symlink(requested, error)) {
        target = std::filesystem::weakly_canonical(requested, error);
        if (error) fail(describe(error.value()), requested);
    }
    const std::filesystem::file_status existing = std::filesystem::status(target, error);
    const bool exists = std::filesystem::exists(existing);
    if (exists) {
        if (std::filesystem::is_directory(existing)) fail(describe(EISDIR), requested);
        if (!ownerMayWrite(existing)) fail("読み取り専用のファイルです。", requested);
    }
    // A folder marked read-only is respected too, also by a user whom the
    // system would let write there anyway.
    const std::filesystem::file_status folder = std::filesystem::status(target.parent_path().empty() ? "." : target.parent_path(), error);
    if (std::filesystem::is_directory(folder) && !ownerMayWrite(folder)) {
        fail("保存先のフォルダーは読み取り専用です。", requested);
    }

    const std::filesystem::path temporary = temporaryPathBeside(target);
    std::FILE* file = std::fopen(temporary.c_str(), "wbx");
    if (!file) fail(describe(errno), requested);
    auto abandon = [&](int errorNumber) {
        std::remove(temporary.c_str());
        fail(describe(errorNumber), requested);
    };
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        const int errorNumber = errno;
        std::fclose(file);
        abandon(errorNumber);
    }
    if (std::fclose(file) != 0) abandon(errno);
    if (exists) {
        std::filesystem::permissions(temporary, existing.permissions(), error);
    }
    std::filesystem::rename(temporary, target, error);
    if (error) abandon(error.value());
}

}  // namespace sormel
