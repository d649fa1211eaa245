// frmMain: building the window, its layout and its keyboard behaviour.
#include "window/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <initializer_list>

#include "window/compact_grid_style.h"
#include "window/deck_file_list.h"
#include "window/drive_list.h"
#include "window/folder_list.h"
#include "window/twips.h"
#include "window/usage_table_model.h"
#include "window/window_fonts.h"

namespace {

// Grid column widths in twips, columns 0 to 5.
constexpr std::array<int, sormel::UsageTableModel::kColumnCount> kColumnTwips{700, 2390, 700, 700, 700, 700};

sormel::TwipScale screenScale(const QWidget* widget) {
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen) return sormel::TwipScale(96, 96);
    return sormel::TwipScale(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
}

}  // namespace

frmMain::frmMain(sormel::UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), prompts_(prompts), model_(new sormel::UsageTableModel(table_, this)) {
    sormel::registerFontSubstitutes();
    setWindowTitle(QStringLiteral("SORMELカード使用率チェッカー"));
    QIcon icon(QStringLiteral(":/sormel/sormel-checker.png"));
    icon.addFile(QStringLiteral(":/sormel/sormel-checker-48.png"));
    setWindowIcon(icon);
    setFont(sormel::gothicFont(9));
    createControls();
    placeControls();
    Form_Load();
    setUpTabOrder();
    connectHandlers();
    cmdExec->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::createControls() {
    lblTarget = new QLabel(QStringLiteral("集計対象"), this);
    drvList = new sormel::DriveList(this);
    dirList = new sormel::FolderList(this);
    // The count lies under the caption beside it and under the mask box.
    lblListCount = new QLabel(QStringLiteral("0"), this);
    lblListCount->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblDeck = new QLabel(QStringLiteral("デッキ合計："), this);
    cboMask = new QComboBox(this);
    cboMask->setEditable(true);
    cboMask->setInsertPolicy(QComboBox::NoInsert);
    cboMask->setCompleter(nullptr);
    cboMask->setEditText(QStringLiteral("*.txt"));
    fleList = new sormel::DeckFileList(this);
    cmdExec = new QPushButton(QStringLiteral("集計開始(&R)"), this);
    cmdExit = new QPushButton(QStringLiteral("終了(&X)"), this);
    cmdSave = new QPushButton(QStringLiteral("結果保存(&S)"), this);
    cmdSave->setEnabled(false);
    optSort = {new QRadioButton(QStringLiteral("枚数"), this), new QRadioButton(QStringLiteral("デッキ数"), this)};
    optSort[1]->setChecked(true);
    chkSide = new QCheckBox(QStringLiteral("サイド含む"), this);
    chkSide->setChecked(true);
    chkHiSp = new QCheckBox(QStringLiteral("高速集計"), this);
    mfgList = new QTableView(this);
    mfgList->setModel(model_);

    const QFont listFont = sormel::gothicFont(9.75);
    for (QWidget* control : std::initializer_list<QWidget*>{drvList, dirList, cboMask}) {
        control->setFont(listFont);
    }
}

void frmMain::placeControls() {
    const sormel::TwipScale twips = screenScale(this);
    setFixedSize(twips.x(6495), twips.y(5535));
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
}

// Column widths, alignments and header texts; the grid shows the table's
// one blank row until the first run.
void frmMain::setUpGrid() {
    const sormel::TwipScale twips = screenScale(this);
    for (int column = 0; column < sormel::UsageTableModel::kColumnCount; ++column) {
        mfgList->setColumnWidth(column, twips.x(kColumnTwips[static_cast<std::size_t>(column)]));
    }
    mfgList->setFont(sormel::gothicFont(9));
    auto* compactStyle = new sormel::CompactGridStyle;
    compactStyle->setParent(mfgList);
    mfgList->setStyle(compactStyle);
    mfgList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mfgList->setWordWrap(false);
    mfgList->setTabKeyNavigation(false);
    QHeaderView* rows = mfgList->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(mfgList->font()).height() + 4);
    mfgList->horizontalHeader()->setHighlightSections(false);
    mfgList->horizontalHeader()->setMinimumSectionSize(1);
    // Beyond the last row and column the grid is grey.
    QPalette grey = mfgList->viewport()->palette();
    grey.setColor(QPalette::Base, QColor(128, 128, 128));
    mfgList->viewport()->setPalette(grey);
    mfgList->setCurrentIndex(model_->index(0, 0));
}

void frmMain::setUpTabOrder() {
    const std::array<QWidget*, 11> chain{cmdExec, mfgList, dirList,    drvList, cboMask, fleList,
                                         cmdExit, cmdSave, optSort[1], chkSide, chkHiSp};
    for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
    QWidget::setTabOrder(optSort[1], optSort[0]);
    QWidget::setTabOrder(optSort[0], chkSide);
    keepTabStopOnSelectedOption();
}

// The two sort options are one tab stop, at the selected one; the arrow
// keys move between them.
void frmMain::keepTabStopOnSelectedOption() {
    for (QRadioButton* option : optSort) option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

void frmMain::connectHandlers() {
    connect(drvList, &sormel::DriveList::driveChanged, this, &frmMain::drvList_Change);
    connect(dirList, &sormel::FolderList::pathChanged, this, &frmMain::dirList_Change);
    connect(dirList, &sormel::FolderList::openRequested, this, &frmMain::openFolder);
    connect(cboMask->lineEdit(), &QLineEdit::textEdited, this, &frmMain::cboMask_Change);
    connect(cboMask, &QComboBox::activated, this, &frmMain::cboMask_Click);
    connect(cmdExec, &QPushButton::clicked, this, &frmMain::cmdExec_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    for (int index = 0; index < 2; ++index) {
        connect(optSort[static_cast<std::size_t>(index)], &QRadioButton::clicked, this,
                [this, index] { optSort_Click(index); });
        connect(optSort[static_cast<std::size_t>(index)], &QRadioButton::toggled, this,
                &frmMain::keepTabStopOnSelectedOption);
    }
}

// The window has a default button, cmdExec: Enter presses it, unless the
// focus is on a command button or on the folder list, which opens the
// folder on Enter. While cmdExec is disabled, Enter does nothing.
void frmMain::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    const QWidget* focus = focusWidget();
    const bool enterUsedByFocus =
        qobject_cast<const QPushButton*>(focus) || (focus && (focus == dirList || dirList->isAncestorOf(focus)));
    if (enterUsedByFocus) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (cmdExec->isEnabled()) cmdExec->click();
}

// Closing the window during a run stops the run as a cancel does; the
// window closes once the run has wound down.
void frmMain::closeEvent(QCloseEvent* event) {
    if (!runInProgress_) {
        event->accept();
        return;
    }
    closeAfterRun_ = true;
    blnRunning = false;
    cmdExit->setEnabled(false);
    event->ignore();
}
