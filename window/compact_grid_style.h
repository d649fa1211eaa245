// The grid's columns are narrow (47 pixels at 96 dpi for a rate such as
// "100.00"); the usual text margin of item views would elide their
// numbers. This style keeps one pixel of margin in the grid's cells.
#pragma once

#include <QProxyStyle>

namespace sormel {

class CompactGridStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_FocusFrameHMargin) return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace sormel
