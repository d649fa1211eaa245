#include "window/main_window_ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <initializer_list>

#include "window/deck_file_list.h"
#include "window/drive_list.h"
#include "window/folder_list.h"
#include "window/twips.h"
#include "window/usage_grid.h"
#include "window/window_fonts.h"

namespace sormel {
namespace {

TwipScale screenScale(const QWidget* widget) {
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen) return TwipScale(96, 96);
    return TwipScale(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
}

template <typename Control>
Control* named(Control* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

}  // namespace

void MainWindowUi::setupUi(QWidget* window, QAbstractItemModel* gridModel) {
    const TwipScale twips = screenScale(window);
    window->setFixedSize(twips.x(6495), twips.y(5535));

    lblTarget = named(new QLabel(QStringLiteral("集計対象"), window), "lblTarget");
    drvList = named(new DriveList(window), "drvList");
    dirList = named(new FolderList(window), "dirList");
    // The count lies under the caption beside it and under the mask box.
    lblListCount = named(new QLabel(QStringLiteral("0"), window), "lblListCount");
    lblListCount->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblDeck = named(new QLabel(QStringLiteral("デッキ合計："), window), "lblDeck");
    cboMask = named(new QComboBox(window), "cboMask");
    cboMask->setEditable(true);
    cboMask->setInsertPolicy(QComboBox::NoInsert);
    cboMask->setCompleter(nullptr);
    cboMask->setEditText(QStringLiteral("*.txt"));
    fleList = named(new DeckFileList(window), "fleList");
    cmdExec = named(new QPushButton(QStringLiteral("集計開始(&R)"), window), "cmdExec");
    cmdExit = named(new QPushButton(QStringLiteral("終了(&X)"), window), "cmdExit");
    cmdSave = named(new QPushButton(QStringLiteral("結果保存(&S)"), window), "cmdSave");
    cmdSave->setEnabled(false);
    // Enter presses the command button that has the focus; elsewhere it
    // presses the default button (see MainWindow::keyPressEvent).
    for (QPushButton* button : {cmdExec, cmdExit, cmdSave}) button->setAutoDefault(true);
    cmdExec->setDefault(true);
    optSort = {named(new QRadioButton(QStringLiteral("枚数"), window), "optSort_0"),
               named(new QRadioButton(QStringLiteral("デッキ数"), window), "optSort_1")};
    optSort[1]->setChecked(true);
    chkSide = named(new QCheckBox(QStringLiteral("サイド含む"), window), "chkSide");
    chkSide->setChecked(true);
    chkHiSp = named(new QCheckBox(QStringLiteral("高速集計"), window), "chkHiSp");
    mfgList = named(new UsageGrid(gridModel, twips, window), "mfgList");

    const QFont listFont = gothicFont(9.75);
    for (QWidget* control : std::initializer_list<QWidget*>{drvList, dirList, cboMask}) control->setFont(listFont);

    // The two captions take the size of their text.
    lblTarget->move(twips.rect(120, 120, 720, 180).topLeft());
    lblTarget->adjustSize();
    lblDeck->move(twips.rect(2520, 120, 945, 180).topLeft());
    lblDeck->adjustSize();
    drvList->setGeometry(twips.rect(120, 360, 2295, 315));
    dirList->setGeometry(twips.rect(120, 720, 2295, 1890));
    lblListCount->setGeometry(twips.rect(2520, 120, 2295, 375));
    cboMask->setGeometry(twips.rect(2520, 360, 2295, 315));
    fleList->setGeometry(twips.rect(2520, 720, 2295, 1890));
    cmdExec->setGeometry(twips.rect(5040, 120, 1335, 375));
    cmdExit->setGeometry(twips.rect(5040, 600, 1335, 375));
    cmdSave->setGeometry(twips.rect(5040, 1080, 1335, 375));
    optSort[0]->setGeometry(twips.rect(5040, 1560, 975, 255));
    optSort[1]->setGeometry(twips.rect(5040, 1800, 1215, 255));
    chkSide->setGeometry(twips.rect(5040, 2040, 1335, 255));
    chkHiSp->setGeometry(twips.rect(5040, 2280, 1335, 255));
    mfgList->setGeometry(twips.rect(120, 2760, 6255, 2655));

    const std::array<QWidget*, 11> chain{cmdExec, mfgList, dirList,    drvList, cboMask, fleList,
                                         cmdExit, cmdSave, optSort[1], chkSide, chkHiSp};
    for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
    QWidget::setTabOrder(optSort[1], optSort[0]);
    QWidget::setTabOrder(optSort[0], chkSide);
    keepTabStopOnSelectedOption();
}

// The arrow keys move between the two options.
void MainWindowUi::keepTabStopOnSelectedOption() {
    for (QRadioButton* option : optSort) option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

}  // namespace sormel
