// dirList: the folder that is open, shown as the chain of folders from the
// root down to it, followed by its own sub-folders. Double-clicking an
// entry, or pressing Enter on it, asks to open that folder.
#pragma once

#include <QTreeWidget>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sormel {

class FolderList : public QTreeWidget {
    Q_OBJECT
public:
    // Empty until a folder is opened.
    explicit FolderList(QWidget* parent = nullptr);

    // Opens the current directory. When it cannot be read (it may have
    // been removed under the program), opens the root instead and returns
    // a message saying so, naming both folders.
    std::optional<std::string> openStartFolder();

    const std::filesystem::path& path() const { return folder_; }
    // Opens `folder` and emits pathChanged. Throws FileError when it cannot
    // be read; the list then stays on the folder it had open.
    void setPath(const std::filesystem::path& folder);

signals:
    void pathChanged();
    // The user asked to open `folder` (double-click or Enter).
    void openRequested(const std::filesystem::path& folder);

private:
    void showFolder(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& subfolders);

    std::filesystem::path folder_;
};

}  // namespace sormel
