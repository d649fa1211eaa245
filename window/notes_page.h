// The analysis window's 読み込みの注意 page: the warnings of the analysis on
// show, then the lines its run read past, each with its file and line. A
// double-click asks to see the file in the main window.
#pragma once

#include <QTableWidget>
#include <filesystem>
#include <memory>

namespace sormel {

struct AnalysisResult;

class NotesPage : public QTableWidget {
    Q_OBJECT
public:
    explicit NotesPage(QWidget* parent = nullptr);

    // Shows the notes of `result`; null shows none.
    void setResult(std::shared_ptr<const AnalysisResult> result);

signals:
    // The user asked to see this deck file in the main window's file list.
    void fileRequested(const std::filesystem::path& file);

private:
    void openRow(int row);

    std::shared_ptr<const AnalysisResult> result_;
};

}  // namespace sormel
