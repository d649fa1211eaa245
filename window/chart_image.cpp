#include "window/chart_image.h"

#include <QBuffer>
#include <QChartView>
#include <QPainter>
#include <stdexcept>

#include "window/save_flow.h"

namespace sormel {

QImage chartViewImage(QChartView& view) {
    const QSize size = view.viewport()->size();
    QImage image(size * 2, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    view.render(&painter, QRectF(QPointF(0, 0), QSizeF(size * 2)), view.viewport()->rect());
    painter.end();
    return image;
}

void saveChartViewImage(UserPrompts& prompts, QWidget* parent, QChartView& view, const QString& proposedName) {
    saveWithDialog(prompts, parent, QStringLiteral("PNG画像 (*.png);;すべてのファイル (*.*)"), proposedName,
                   [&view](const QString&) {
                       QByteArray bytes;
                       QBuffer buffer(&bytes);
                       buffer.open(QIODevice::WriteOnly);
                       if (!chartViewImage(view).save(&buffer, "PNG")) throw std::runtime_error("画像を作れません。");
                       return bytes.toStdString();
                   });
}

}  // namespace sormel
