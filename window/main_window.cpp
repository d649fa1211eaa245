#include "window/main_window.h"

#include <algorithm>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleHints>
#include <ctime>
#include <stdexcept>
#include <QVBoxLayout>

#include "engine/path_bytes.h"
#include "engine/product.h"
#include "export/atomic_file.h"
#include "export/csv_writer.h"
#include "export/report_writer.h"
#include "window/folder_list.h"
#include "window/analysis_window.h"
#include "window/deck_file_list.h"
#include "window/folder_selection.h"
#include "window/main_menu.h"
#include "window/recent_folders.h"
#include "window/save_flow.h"
#include "window/usage_table_model.h"
#include "window/user_prompts.h"
#include "window/window_fonts.h"
#include "window/window_run.h"

// The window's resources (icon, licence) live in a static library: the
// linker keeps them only when something names them.
static void initWindowResources() { Q_INIT_RESOURCE(window); }

namespace sormel {
namespace {

QString productTitle() { return QString::fromUtf8(kProductTitle.data(), static_cast<qsizetype>(kProductTitle.size())); }

}  // namespace

MainWindow::MainWindow(UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), prompts_(prompts), model_(new UsageTableModel(table_, this)) {
    initWindowResources();
    registerFontSubstitutes();
    setWindowTitle(productTitle());
    QIcon icon(QStringLiteral(":/sormel/sormel-checker.png"));
    icon.addFile(QStringLiteral(":/sormel/sormel-checker-48.png"));
    setWindowIcon(icon);
    setFont(gothicFont(9));
    // The controls keep their designed places in the area below the menu
    // bar; the window is that much taller.
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("body"));
    ui_.setupUi(body, model_);
    menu_ = new MainMenu(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menu_->bar());
    layout->addWidget(body);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setAcceptDrops(true);
    selection_ = new FolderSelection(ui_, prompts_, this);
    run_ = new WindowRun(ui_, table_, *model_, *selection_, prompts_, this);
    selection_->startUp();
    setUpMenu();

    connect(run_, &WindowRun::fileReadingStarted, this, &MainWindow::fileReadingStarted);
    connect(ui_.cmdExec, &QPushButton::clicked, this, &MainWindow::startRun);
    connect(ui_.cmdExit, &QPushButton::clicked, this, &MainWindow::exitOrCancel);
    connect(ui_.cmdSave, &QPushButton::clicked, this, &MainWindow::saveResults);
    connect(ui_.optSort[0], &QRadioButton::clicked, this, [this] { resortResults(SortChoice::ByCopies); });
    connect(ui_.optSort[1], &QRadioButton::clicked, this, [this] { resortResults(SortChoice::ByDecks); });
    for (QRadioButton* option : ui_.optSort) {
        connect(option, &QRadioButton::toggled, this, [this] { ui_.keepTabStopOnSelectedOption(); });
    }
    ui_.cmdExec->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::setUpMenu() {
    menu_->showRecentFolders(RecentFolders().folders());
    connect(menu_, &MainMenu::aboutToShow, this, [this] { menu_->setSaveEnabled(ui_.cmdSave->isEnabled()); });
    connect(menu_, &MainMenu::openFolderRequested, this, &MainWindow::chooseFolder);
    connect(menu_, &MainMenu::recentFolderChosen, this, &MainWindow::openRecentFolder);
    connect(menu_, &MainMenu::saveRequested, this, [this] {
        if (ui_.cmdSave->isEnabled()) saveResults();
    });
    connect(menu_, &MainMenu::exitRequested, this, &MainWindow::close);
    connect(menu_, &MainMenu::analysisRequested, this, &MainWindow::showAnalysis);
    connect(menu_, &MainMenu::aboutRequested, this, &MainWindow::showAbout);
}

void MainWindow::chooseFolder() {
    const std::optional<QString> chosen =
        prompts_.askFolder(this, QStringLiteral("フォルダーを開く"), QFile::decodeName(ui_.dirList->path().c_str()));
    if (chosen) openFolder(QFile::encodeName(*chosen).toStdString());
}

void MainWindow::openFolder(const std::filesystem::path& folder) {
    if (run_->state() != RunState::Idle) return;
    if (!selection_->openFolder(folder)) return;
    RecentFolders recent;
    recent.add(QFile::decodeName(ui_.dirList->path().c_str()));
    menu_->showRecentFolders(recent.folders());
}

// Opens the deck's folder and selects the deck in the file list (when the
// mask lists it).
void MainWindow::showDeckFile(const std::filesystem::path& file) {
    openFolder(file.parent_path());
    const DeckFiles& files = ui_.fleList->files();
    const std::string name = pathBytes(file.filename());
    for (std::size_t entry = 0; entry < files.size(); ++entry) {
        if (files.name(entry) == name && files.path(entry) == file) {
            ui_.fleList->selectEntry(entry);
            return;
        }
    }
}

// A folder that has gone since leaves the list, with a message saying so.
void MainWindow::openRecentFolder(const QString& folder) {
    if (!QFileInfo(folder).isDir()) {
        RecentFolders recent;
        recent.remove(folder);
        menu_->showRecentFolders(recent.folders());
        prompts_.tell(this,
                      QStringLiteral("フォルダーが見つかりません。最近使ったフォルダーの一覧から外しました。\r\nフォルダー: ") +
                          QDir::toNativeSeparators(folder),
                      QStringLiteral("エラー"), MessageIcon::Critical);
        return;
    }
    openFolder(QFile::encodeName(folder).toStdString());
}

void MainWindow::showAnalysis() {
    if (!analysis_) {
        // Over the main window's folder and mask as they are when it runs,
        // read as the main window reads them.
        analysis_ = new AnalysisWindow(
            prompts_,
            [this] {
                return run_->request();
            },
            this);
        connect(analysis_, &AnalysisWindow::fileRequested, this, &MainWindow::showDeckFile);
    }
    analysis_->show();
    analysis_->raise();
    analysis_->activateWindow();
}

void MainWindow::showAbout() {
    const QString version = QCoreApplication::applicationVersion();
    // The program's own licence and the libraries it uses, as shipped in LICENSE.
    QFile licence(QStringLiteral(":/sormel/LICENSE"));
    QString licenceText;
    if (licence.open(QIODevice::ReadOnly)) licenceText = QString::fromUtf8(licence.readAll()).trimmed();
    // The first line of LICENSE is the program's name, already in the heading.
    licenceText = licenceText.section(QLatin1Char('\n'), 1).trimmed();
    prompts_.tell(this,
                  productTitle() + (version.isEmpty() ? QString() : QStringLiteral(" バージョン ") + version) +
                      QStringLiteral("\r\n\r\n") + licenceText +
                      QStringLiteral("\r\n\r\nQt バージョン %1").arg(QString::fromLatin1(qVersion())),
                  QStringLiteral("バージョン情報"), MessageIcon::Information);
}

// The menu's commands are locked with the controls while a run lasts; the
// analysis window greys its result and analyses again once the run completed.
void MainWindow::startRun() {
    menu_->setCommandsEnabled(false);
    if (analysis_) analysis_->mainRunStarted();
    bool completed = false;
    const QMetaObject::Connection watch = connect(run_, &WindowRun::runCompleted, this, [&completed] { completed = true; });
    run_->start();
    disconnect(watch);
    menu_->setCommandsEnabled(true);
    if (completed) {
        RecentFolders recent;
        recent.add(QFile::decodeName(ui_.fleList->path().c_str()));
        menu_->showRecentFolders(recent.folders());
    }
    if (analysis_) analysis_->mainRunEnded(completed);
    if (closeRequested_) close();
}

// Saves the table in the grid's order, or a report of the last run.
// Cancelling the dialog ends quietly; the file is replaced only once the
// new content is completely written.
void MainWindow::saveResults() {
    const QString tableCsv = QStringLiteral("CSVファイル (*.csv)");
    const QString workbook = QStringLiteral("Excel ブック (*.xlsx)");
    const QString fullCsv = QStringLiteral("CSV（全項目, UTF-8）(*.csv)");
    const QString webPage = QStringLiteral("Web ページ (*.html)");
    bool asReport = false;
    const bool saved = saveWithDialog(
        prompts_, this,
        QStringList{tableCsv, QStringLiteral("すべてのファイル (*.*)"), workbook, fullCsv, webPage}.join(QStringLiteral(";;")),
        QStringLiteral("集計結果.csv"), [&](const QString& filter) {
            asReport = filter == workbook || filter == fullCsv || filter == webPage;
            if (!asReport) return formatCsv(table_, CsvEncoding::Cp932);
            const FolderAnalysis* last = run_->lastAnalysis();
            if (last == nullptr) throw std::runtime_error("分析結果がありません。集計が完了してから保存してください。");
            ReportData report = last->report();
            report.date = localDateText(std::time(nullptr));
            // The rows are in the table's order, which the sort buttons
            // may have changed since the run.
            report.sort = ui_.optSort[0]->isChecked() ? SortChoice::ByCopies : SortChoice::ByDecks;
            const ReportKind kind = filter == workbook  ? ReportKind::Xlsx
                                    : filter == webPage ? ReportKind::Html
                                                        : ReportKind::Csv;
            return formatReport(kind, report);
        });
    if (!saved || asReport) return;
    // Characters code page 932 cannot hold were written as "?": say so
    // once, with the way to keep them.
    const Cp932Loss loss = cp932Loss(table_);
    if (loss.characters > 0) {
        prompts_.tell(this,
                      QStringLiteral("Shift_JIS で表せない文字 %1 文字（%2 枚のカード）を「?」として保存しました。\r\n"
                                     "元の文字のまま残すには「CSV（全項目, UTF-8）」で保存してください。")
                          .arg(loss.characters)
                          .arg(loss.rows),
                      QStringLiteral("お知らせ"), MessageIcon::Information);
    }
}

// During a run: asks the run to stop. Otherwise closes the window, which
// ends the program. The run may wind down within a double-click, and the
// button then reads 終了(&X) again: a second click that quick belongs to the
// cancel and is ignored, so that it cannot lose the table.
void MainWindow::exitOrCancel() {
    if (run_->state() != RunState::Idle) {
        if (run_->state() == RunState::Running) sinceCancelClick_.start();
        run_->cancel();
        return;
    }
    if (sinceCancelClick_.isValid() &&
        !sinceCancelClick_.hasExpired(QGuiApplication::styleHints()->mouseDoubleClickInterval())) {
        return;
    }
    close();
}

// Sorts the table by the chosen order at once.
void MainWindow::resortResults(SortChoice choice) {
    reportingErrors(prompts_, this, [&] { table_.resort(choice); });
    model_->refresh();
}

// The window has a default button, cmdExec: Enter presses it, unless the
// focus is on a command button, which presses itself, or on the folder
// list, which opens the folder on Enter. While cmdExec is disabled, Enter
// does nothing.
void MainWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    const QWidget* focus = focusWidget();
    const bool enterUsedByFocus = qobject_cast<const QPushButton*>(focus) ||
                                  (focus && (focus == ui_.dirList || ui_.dirList->isAncestorOf(focus)));
    if (enterUsedByFocus) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (ui_.cmdExec->isEnabled()) ui_.cmdExec->click();
}

// A folder, or a file meaning its folder, dropped on the window opens as
// the folder list would open it; not during a run.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (run_->state() == RunState::Idle && mime->hasUrls() && !mime->urls().isEmpty() &&
        mime->urls().front().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (run_->state() != RunState::Idle || !mime->hasUrls() || mime->urls().isEmpty()) return;
    const QUrl url = mime->urls().front();
    if (!url.isLocalFile()) return;
    const QFileInfo dropped(url.toLocalFile());
    const QString folder = dropped.isDir() ? dropped.absoluteFilePath() : dropped.absolutePath();
    event->acceptProposedAction();
    openFolder(QFile::encodeName(folder).toStdString());
}

// Closing the window during a run stops the run as a cancel does; the
// window closes once the run has wound down.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (run_->state() == RunState::Idle) {
        event->accept();
        return;
    }
    closeRequested_ = true;
    run_->cancel();
    event->ignore();
}

}  // namespace sormel
