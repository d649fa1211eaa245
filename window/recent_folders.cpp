#include "window/recent_folders.h"

#include <QDir>

#include "window/app_settings.h"

namespace sormel {
namespace {

const QString kKey = QStringLiteral("recentFolders");

// One entry per folder however it was written ("a/b/", "a/./b").
QString normalFolder(const QString& folder) { return QDir::cleanPath(QDir(folder).absolutePath()); }

}  // namespace

QStringList RecentFolders::folders() const {
    QStringList folders = AppSettings().value(kKey).toStringList();
    folders.removeAll(QString());
    if (folders.size() > kLimit) folders.resize(kLimit);
    return folders;
}

void RecentFolders::add(const QString& folder) {
    const QString entry = normalFolder(folder);
    QStringList folders = this->folders();
    folders.removeAll(entry);
    folders.prepend(entry);
    if (folders.size() > kLimit) folders.resize(kLimit);
    store(folders);
}

void RecentFolders::remove(const QString& folder) {
    QStringList folders = this->folders();
    folders.removeAll(normalFolder(folder));
    store(folders);
}

void RecentFolders::store(const QStringList& folders) {
    AppSettings settings;
    settings.setValue(kKey, folders);
}

}  // namespace sormel
