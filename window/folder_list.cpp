#include "window/folder_list.h"

#include <QFile>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>

#include "engine/file_error.h"

namespace sormel {
namespace {

constexpr int kPathRole = Qt::UserRole;

// The visible sub-folders of `folder`, sorted by name. Throws FileError.
std::vector<std::filesystem::path> listSubfolders(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    if (error) {
        throw FileError("フォルダーを開けません。" + describeSystemError(error.value()) +
                        "\nフォルダー: " + displayPath(folder));
    }
    std::vector<std::filesystem::path> subfolders;
    for (; entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().native();
        std::error_code statError;
        if (name.starts_with('.') || !entry->is_directory(statError)) continue;
        subfolders.push_back(entry->path());
    }
    if (error) {
        throw FileError("フォルダーを読み込めません。" + describeSystemError(error.value()) +
                        "\nフォルダー: " + displayPath(folder));
    }
    std::sort(subfolders.begin(), subfolders.end());
    return subfolders;
}

QString displayName(const std::filesystem::path& folder) {
    const std::filesystem::path name = folder.filename();
    return QFile::decodeName(QByteArray::fromStdString((name.empty() ? folder : name).native()));
}

std::filesystem::path normalFolderPath(const std::filesystem::path& folder) {
    std::error_code ignored;
    std::filesystem::path full = std::filesystem::absolute(folder, ignored).lexically_normal();
    // "/a/b/" and "/a/b" are the same folder; keep the root's own slash.
    if (!full.has_filename() && full != full.root_path()) full = full.parent_path();
    return full;
}

}  // namespace

FolderList::FolderList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(10);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        emit openRequested(std::filesystem::path(item->data(0, kPathRole).toByteArray().toStdString()));
    });
}

std::optional<std::string> FolderList::openStartFolder() {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    std::string problem;
    if (error) {
        problem = "カレントフォルダーを開けません。" + describeSystemError(error.value());
    } else {
        const std::filesystem::path start = normalFolderPath(current);
        try {
            showFolder(start, listSubfolders(start));
            return std::nullopt;
        } catch (const FileError& failure) {
            problem = failure.what();
        }
    }
    const std::filesystem::path root = current.empty() ? std::filesystem::path("/") : current.root_path();
    try {
        showFolder(root, listSubfolders(root));
    } catch (const FileError&) {
        showFolder(root, {});
    }
    return problem + "\n代わりに開いたフォルダー: " + displayPath(root);
}

void FolderList::setPath(const std::filesystem::path& folder) {
    const std::filesystem::path full = normalFolderPath(folder);
    showFolder(full, listSubfolders(full));
    emit pathChanged();
}

void FolderList::showFolder(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& subfolders) {
    folder_ = folder;
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto makeItem = [](QTreeWidgetItem* item, const std::filesystem::path& path, const QIcon& icon) {
        item->setText(0, displayName(path));
        item->setIcon(0, icon);
        item->setData(0, kPathRole, QByteArray::fromStdString(path.native()));
        return item;
    };
    // The chain from the root down to the open folder, each one inside the last.
    QTreeWidgetItem* parentItem = nullptr;
    std::filesystem::path chain;
    for (const std::filesystem::path& part : folder) {
        if (part.empty()) continue;
        chain /= part;
        QTreeWidgetItem* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
        makeItem(item, chain, openIcon);
        parentItem = item;
    }
    for (const std::filesystem::path& subfolder : subfolders) {
        makeItem(new QTreeWidgetItem(parentItem), subfolder, closedIcon);
    }
    expandAll();
    setCurrentItem(parentItem);
    scrollToItem(parentItem);
}

}  // namespace sormel
