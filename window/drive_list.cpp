#include "drive_list.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStorageInfo>
#include <QStyle>
#include <algorithm>

namespace sormel {
namespace {

bool isPseudoFileSystem(const QByteArray& type) {
    static const QSet<QByteArray> pseudo{"proc",     "sysfs",     "devpts", "devtmpfs",    "cgroup",   "cgroup2",
                                         "securityfs", "debugfs", "tracefs", "pstore",     "bpf",      "mqueue",
                                         "hugetlbfs", "configfs", "fusectl", "autofs",     "binfmt_misc", "efivarfs",
                                         "nsfs",     "rpc_pipefs", "selinuxfs", "ramfs"};
    return pseudo.contains(type);
}

}  // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || isPseudoFileSystem(volume.fileSystemType())) continue;
        if (!roots.contains(volume.rootPath())) roots.append(volume.rootPath());
    }
    const QString currentRoot = QStorageInfo(QDir::currentPath()).rootPath();
    if (!currentRoot.isEmpty() && !roots.contains(currentRoot)) roots.append(currentRoot);
    std::sort(roots.begin(), roots.end());
    for (const QString& root : roots) addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root);
    setCurrentIndex(std::max(0, findText(currentRoot)));
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) { emit driveChanged(); });
}

std::filesystem::path DriveList::selectedDrive() const {
    return std::filesystem::path(QFile::encodeName(currentText()).toStdString());
}

}  // namespace sormel
