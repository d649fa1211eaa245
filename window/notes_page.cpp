#include "window/notes_page.h"

#include <QDir>
#include <QHeaderView>

#include "engine/file_error.h"
#include "window/analysis_runner.h"

namespace sormel {
namespace {

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

NotesPage::NotesPage(QWidget* parent) : QTableWidget(0, 3, parent) {
    setObjectName(QStringLiteral("skippedLines"));
    setHorizontalHeaderLabels({QStringLiteral("ファイル"), QStringLiteral("行"), QStringLiteral("内容")});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setToolTip(QStringLiteral("ダブルクリックでファイルをメインウィンドウに表示します"));
    connect(this, &QTableWidget::cellDoubleClicked, this, [this](int row) { openRow(row); });
}

// The warnings first, then the lines read past.
void NotesPage::setResult(std::shared_ptr<const AnalysisResult> result) {
    result_ = std::move(result);
    setRowCount(0);
    if (!result_) return;
    const std::vector<SkippedLine>& warnings = result_->warnings;
    const std::vector<SkippedLine>& lines = result_->skipped;
    setRowCount(static_cast<int>(warnings.size() + lines.size()));
    const QDir folder(text(pathText(result_->request.folder)));
    for (std::size_t i = 0; i < warnings.size() + lines.size(); ++i) {
        const bool warning = i < warnings.size();
        const SkippedLine& shown = warning ? warnings[i] : lines[i - warnings.size()];
        const int row = static_cast<int>(i);
        const QString file = folder.relativeFilePath(text(pathText(shown.file)));
        auto* fileItem = new QTableWidgetItem(file);
        fileItem->setToolTip(QDir::toNativeSeparators(text(pathText(shown.file))));
        setItem(row, 0, fileItem);
        auto* line = new QTableWidgetItem(shown.line == 0 ? QString() : QString::number(shown.line));
        line->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setItem(row, 1, line);
        auto* content = new QTableWidgetItem((warning ? QStringLiteral("警告: ") : QString()) + text(shown.text));
        content->setToolTip(content->text());
        setItem(row, 2, content);
    }
    resizeColumnToContents(0);
    // A long path must not push the contents out of sight.
    setColumnWidth(0, std::min(columnWidth(0), 360));
}

void NotesPage::openRow(int row) {
    if (!result_ || row < 0) return;
    const auto index = static_cast<std::size_t>(row);
    const std::size_t warnings = result_->warnings.size();
    if (index >= warnings + result_->skipped.size()) return;
    emit fileRequested(index < warnings ? result_->warnings[index].file : result_->skipped[index - warnings].file);
}

}  // namespace sormel
