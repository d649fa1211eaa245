// The main window's controls, found by their design names as a tool
// driving the window would find them.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtGlobal>
#include <array>

#include "window/deck_file_list.h"
#include "window/drive_list.h"
#include "window/folder_list.h"

struct WindowControls {
    explicit WindowControls(const QWidget& window)
        : lblListCount(find<QLabel>(window, "lblListCount")),
          drvList(find<sormel::DriveList>(window, "drvList")),
          dirList(find<sormel::FolderList>(window, "dirList")),
          cboMask(find<QComboBox>(window, "cboMask")),
          fleList(find<sormel::DeckFileList>(window, "fleList")),
          cmdExec(find<QPushButton>(window, "cmdExec")),
          cmdExit(find<QPushButton>(window, "cmdExit")),
          cmdSave(find<QPushButton>(window, "cmdSave")),
          optSort{find<QRadioButton>(window, "optSort_0"), find<QRadioButton>(window, "optSort_1")},
          chkSide(find<QCheckBox>(window, "chkSide")),
          chkHiSp(find<QCheckBox>(window, "chkHiSp")),
          mfgList(find<QTableView>(window, "mfgList")) {}

    QLabel* lblListCount;
    sormel::DriveList* drvList;
    sormel::FolderList* dirList;
    QComboBox* cboMask;
    sormel::DeckFileList* fleList;
    QPushButton* cmdExec;
    QPushButton* cmdExit;
    QPushButton* cmdSave;
    std::array<QRadioButton*, 2> optSort;
    QCheckBox* chkSide;
    QCheckBox* chkHiSp;
    QTableView* mfgList;

private:
    template <typename Control>
    static Control* find(const QWidget& window, const char* name) {
        auto* control = window.findChild<Control*>(QString::fromLatin1(name));
        if (!control) qFatal("the window has no control named %s", name);
        return control;
    }
};
