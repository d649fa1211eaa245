// The main window's controls, created, named and placed as designed: what
// a Qt Designer form would generate, written by hand. Every control's
// objectName is its design name (cmdExec, fleList, ...), so the names of
// the layout are the names the controls are found by. The two sort options
// are "optSort_0" (枚数, by copies) and "optSort_1" (デッキ数, by decks).
#pragma once

#include <array>

class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace sormel {

class DeckFileList;
class DriveList;
class FolderList;
class UsageGrid;

struct MainWindowUi {
    QLabel* lblTarget = nullptr;
    DriveList* drvList = nullptr;
    FolderList* dirList = nullptr;
    QLabel* lblListCount = nullptr;
    QLabel* lblDeck = nullptr;
    QComboBox* cboMask = nullptr;
    DeckFileList* fleList = nullptr;
    QPushButton* cmdExec = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdSave = nullptr;
    std::array<QRadioButton*, 2> optSort{};
    QCheckBox* chkSide = nullptr;
    QCheckBox* chkHiSp = nullptr;
    UsageGrid* mfgList = nullptr;

    // Creates the controls inside `window` with their captions, fonts,
    // places, first states and tab order; the grid shows `gridModel`.
    void setupUi(QWidget* window, QAbstractItemModel* gridModel);
    // The two sort options are one tab stop, at the selected one.
    void keepTabStopOnSelectedOption();
};

}  // namespace sormel
