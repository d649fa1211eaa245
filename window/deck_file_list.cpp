#include "window/deck_file_list.h"

#include <QAbstractListModel>
#include <QFile>
#include <climits>

namespace sormel {

// Names of the listed files, converted for display only when a view asks.
class DeckFileListModel : public QAbstractListModel {
public:
    DeckFileListModel(const DeckFiles& files, QObject* parent)
        : QAbstractListModel(parent), files_(files) {}

    // Wraps a change of the list's entries.
    template <typename Change>
    void replaceEntries(Change change) {
        beginResetModel();
        change();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(std::min<std::size_t>(files_.size(), INT_MAX));
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) return {};
        const std::string_view name = files_.name(static_cast<std::size_t>(index.row()));
        return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    }

private:
    const DeckFiles& files_;
};

namespace {

FileMask parseMask(const QString& pattern) {
    std::optional<FileMask> mask = FileMask::parse(pattern.toStdString());
    if (!mask) throw PatternRejected();
    return *mask;
}

}  // namespace

DeckFileList::DeckFileList(QWidget* parent)
    : QListView(parent), model_(new DeckFileListModel(files_, this)) {
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setModel(model_);
}

void DeckFileList::setPath(const std::filesystem::path& folder) {
    DeckFiles files = mask_ ? listDeckFiles(folder, *mask_) : DeckFiles{};
    folder_ = folder;
    setEntries(std::move(files));
}

void DeckFileList::setPattern(const QString& pattern) {
    mask_ = parseMask(pattern);
    reread();
}

void DeckFileList::reread() {
    try {
        setEntries(mask_ ? listDeckFiles(folder_, *mask_) : DeckFiles{});
    } catch (...) {
        setEntries({});
        throw;
    }
}

void DeckFileList::setEntries(DeckFiles files) {
    model_->replaceEntries([&] { files_ = std::move(files); });
}

void DeckFileList::selectEntry(std::size_t position) {
    const QModelIndex entry = model_->index(static_cast<int>(position), 0);
    selectionModel()->setCurrentIndex(entry, QItemSelectionModel::ClearAndSelect);
    scrollTo(entry);
}

}  // namespace sormel
