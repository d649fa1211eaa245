// The results grid's style. The grid's columns are narrow (47 pixels at
// 96 dpi for a rate such as "100.00"); the usual text margin of item views
// would elide their numbers, so this style keeps one pixel of margin in the
// grid's cells. It also paints the header row beyond the last column in
// the grey of the grid's empty area.
#pragma once

#include <QPainter>
#include <QProxyStyle>

namespace sormel {

class CompactGridStyle : public QProxyStyle {
public:
    static QColor emptyAreaColour() { return QColor(128, 128, 128); }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_FocusFrameHMargin) return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_HeaderEmptyArea) {
            painter->fillRect(option->rect, emptyAreaColour());
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

}  // namespace sormel
