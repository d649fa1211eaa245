// A chart view drawn as an image at twice its size on a white ground, and
// saved as a PNG through the program's save dialog.
#pragma once

#include <QImage>
#include <QString>

class QChartView;
class QWidget;

namespace sormel {

class UserPrompts;

QImage chartViewImage(QChartView& view);
void saveChartViewImage(UserPrompts& prompts, QWidget* parent, QChartView& view, const QString& proposedName);

}  // namespace sormel
