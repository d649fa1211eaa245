// The save-as dialog the window shows.
#pragma once

#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

namespace sormel {

// A save-as dialog opened in `folder` with `filters` (entries separated by
// ";;", the first one selected) proposing `proposedName`; it asks before
// overwriting an existing file.
std::unique_ptr<QFileDialog> makeSaveDialog(QWidget* parent, const QString& folder, const QString& filters,
                                            const QString& proposedName);

}  // namespace sormel
