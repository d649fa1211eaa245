// Positions and sizes of the window's controls are designed in twips
// (1440 to the inch). This turns them into pixels for the screen's
// logical density: 15 twips make one pixel at 96 dots per inch.
#pragma once

#include <QRect>
#include <cmath>

namespace sormel {

class TwipScale {
public:
    TwipScale(double dotsPerInchX, double dotsPerInchY)
        : perTwipX_(dotsPerInchX / 1440.0), perTwipY_(dotsPerInchY / 1440.0) {}

    int x(int twips) const { return static_cast<int>(std::lround(twips * perTwipX_)); }
    int y(int twips) const { return static_cast<int>(std::lround(twips * perTwipY_)); }
    // Rounds the edges, not the size, so neighbouring controls never overlap
    // or drift apart by a rounding.
    QRect rect(int left, int top, int width, int height) const {
        return QRect(QPoint(x(left), y(top)), QPoint(x(left + width) - 1, y(top + height) - 1));
    }

private:
    double perTwipX_;
    double perTwipY_;
};

}  // namespace sormel
