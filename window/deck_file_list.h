// fleList: the files of one folder that match a file mask, sorted by name,
// each of them one deck for the next run. Plain files only, dot-files left
// out. The list reads the folder when its path or pattern is set and when
// asked to; it does not watch the folder.
#pragma once

#include <QListView>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <vector>

#include "engine/deck_listing.h"

namespace sormel {

// A mask no file name could match (a path separator, a control character).
class PatternRejected : public std::invalid_argument {
public:
    PatternRejected() : std::invalid_argument("ファイルマスクが正しくありません。") {}
};

class DeckFileListModel;

class DeckFileList : public QListView {
    Q_OBJECT
public:
    // Lists nothing until both a folder and a pattern are set.
    explicit DeckFileList(QWidget* parent = nullptr);

    const std::filesystem::path& path() const { return folder_; }
    // Lists `folder`. Throws FileError when it cannot be read; the list then
    // keeps its previous folder and entries.
    void setPath(const std::filesystem::path& folder);
    // Lists the folder again with `pattern`. Throws PatternRejected (and
    // changes nothing) for a pattern the list cannot use, FileError when
    // the folder cannot be read.
    void setPattern(const QString& pattern);
    // Reads the folder again. Throws FileError when it cannot be read; the
    // list is then empty.
    void reread();

    std::size_t count() const { return files_.size(); }
    // The entries, in list order.
    const DeckFiles& files() const { return files_; }
    // Selects entry `position` and scrolls it into view.
    void selectEntry(std::size_t position);

private:
    void setEntries(DeckFiles files);

    DeckFileListModel* model_;
    std::filesystem::path folder_;
    std::optional<FileMask> mask_;
    DeckFiles files_;
};

}  // namespace sormel
