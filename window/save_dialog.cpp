#include "window/save_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>

namespace sormel {
namespace {

// Icons and type names from a file's name alone. Qt's own provider tells a
// file's type by reading its first bytes when the name does not say, and
// some files block the reader: typing /proc in the dialog read /proc/kmsg,
// which waits for the kernel's next message, and the program froze.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;

    QIcon icon(const QFileInfo& info) const override {
        if (info.isRoot()) return icon(Drive);
        return icon(info.isDir() ? Folder : File);
    }

    QString type(const QFileInfo& info) const override {
        if (info.isRoot() || info.isDir()) return QFileIconProvider::type(info);
        const QMimeType type = mimeTypes_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
        return type.comment().isEmpty() ? type.name() : type.comment();
    }

private:
    QMimeDatabase mimeTypes_;
};

// Lives as long as the dialog's file system model, which it outlives: the
// model is the dialog's older child and goes first.
class IconProviderHolder : public QObject {
public:
    explicit IconProviderHolder(QObject* dialog) : QObject(dialog) {}
    NameOnlyIconProvider provider;
};

}  // namespace

std::unique_ptr<QFileDialog> makeSaveDialog(QWidget* parent, const QString& folder, const QString& filters,
                                            const QString& proposedName) {
    auto dialog = std::make_unique<QFileDialog>(parent, QString(), QDir(folder).filePath(proposedName), filters);
    // The platform's own dialog would not take the icon provider.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setIconProvider(&(new IconProviderHolder(dialog.get()))->provider);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // Picking a filter gives the proposed name that filter's extension.
    QFileDialog* shown = dialog.get();
    QObject::connect(shown, &QFileDialog::filterSelected, shown, [shown](const QString& filter) {
        const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("\\(\\*(\\.[A-Za-z0-9]+)\\)")).match(filter);
        if (!match.hasMatch() || shown->selectedFiles().isEmpty()) return;
        const QFileInfo current(shown->selectedFiles().front());
        if (current.fileName().isEmpty() || current.isDir()) return;
        shown->selectFile(current.completeBaseName() + match.captured(1));
    });
    return dialog;
}

}  // namespace sormel
