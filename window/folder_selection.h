// The choice of drive, folder and file mask. The folder list follows the
// drive list; the file list and the current directory follow the folder
// list; the file list follows the mask; the count label follows the file
// list. Errors of a change of drive or folder are shown, one message per
// step that fails; a mask the file list cannot use empties it silently.
#pragma once

#include <QObject>
#include <filesystem>

namespace sormel {

struct MainWindowUi;
class UserPrompts;

class FolderSelection : public QObject {
    Q_OBJECT
public:
    FolderSelection(const MainWindowUi& ui, UserPrompts& prompts, QWidget* window);

    // The first pattern, count and mask items; connects the controls.
    void startUp();
    // Reads the file list's folder again and shows the count; false (after
    // showing the error) when the folder cannot be read.
    bool rereadFiles();
    // Opens `folder` in the folder list, which the file list follows; false
    // (after showing the error) when it cannot be read.
    bool openFolder(const std::filesystem::path& folder);

private:
    void changeDrive();
    void followFolder();
    void applyMask();
    void showListCount();

    const MainWindowUi& ui_;
    UserPrompts& prompts_;
    QWidget* window_;
};

}  // namespace sormel
