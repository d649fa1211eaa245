#include "window/save_target.h"

#include <QFile>

#include "engine/file_error.h"

namespace sormel {
namespace {

const QChar kReplacement(0xFFFD);

// Whether `folder` holds an entry whose name shows as `shown` but whose
// bytes differ from `bytes`: the name Qt gave stands for that entry.
bool standsForAnotherName(const std::filesystem::path& folder, const QString& shown, const std::string& bytes) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().native();
        if (name != bytes && QFile::decodeName(QByteArray::fromStdString(name)) == shown) return true;
    }
    return false;
}

}  // namespace

std::filesystem::path saveTargetPath(const QString& chosen) {
    const std::filesystem::path target(QFile::encodeName(chosen).toStdString());
    if (!chosen.contains(kReplacement)) return target;
    // A name holding U+FFFD may also be a name of its own that holds the
    // character; it is refused only where the folder holds a name it
    // could stand for instead.
    std::filesystem::path folder = target.root_path();
    for (const std::filesystem::path& part : target.relative_path()) {
        const QString shown = QFile::decodeName(QByteArray::fromStdString(part.native()));
        if (shown.contains(kReplacement) && standsForAnotherName(folder, shown, part.native())) {
            throw FileError(
                "ファイルを保存できません。保存先のパスに、文字として読めないバイトを含む名前があり、"
                "その名前のままでは保存できません。別のフォルダーまたはファイル名を選んでください。\nファイル: " +
                chosen.toStdString());
        }
        folder /= part;
    }
    return target;
}

}  // namespace sormel
