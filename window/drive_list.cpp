#include "window/drive_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <algorithm>

namespace sormel {
namespace {

// The kernel's and the device manager's own trees hold no deck files.
bool isSystemArea(const QString& root) {
    for (const char* area : {"/proc", "/sys", "/dev"}) {
        const QString prefix = QString::fromLatin1(area);
        if (root == prefix || root.startsWith(prefix + '/')) return true;
    }
    return false;
}

bool isPseudoFileSystem(const QByteArray& type) {
    static const QSet<QByteArray> pseudo{"proc",       "sysfs",      "devpts",    "devtmpfs", "cgroup",      "cgroup2",
                                         "securityfs", "debugfs",    "tracefs",   "pstore",   "bpf",         "mqueue",
                                         "hugetlbfs",  "configfs",   "fusectl",   "autofs",   "binfmt_misc", "efivarfs",
                                         "nsfs",       "rpc_pipefs", "selinuxfs", "ramfs"};
    return pseudo.contains(type);
}

}  // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        // A single file can be mounted too (containers do it); only folders are drives.
        if (!volume.isValid() || isPseudoFileSystem(volume.fileSystemType()) || isSystemArea(root) ||
            !QFileInfo(root).isDir()) {
            continue;
        }
        if (!roots.contains(root)) roots.append(root);
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

void DriveList::showDriveOf(const std::filesystem::path& folder) {
    // The longest mount folder that holds `folder`, compared as bytes.
    int best = -1;
    std::size_t bestLength = 0;
    for (int i = 0; i < count(); ++i) {
        const std::filesystem::path root(QFile::encodeName(itemText(i)).toStdString());
        const auto [rootEnd, folderAt] = std::mismatch(root.begin(), root.end(), folder.begin(), folder.end());
        const std::size_t length = root.native().size();
        if (rootEnd == root.end() && (best < 0 || length > bestLength)) {
            best = i;
            bestLength = length;
        }
    }
    if (best < 0) return;
    const QSignalBlocker quiet(this);
    setCurrentIndex(best);
}

}  // namespace sormel
