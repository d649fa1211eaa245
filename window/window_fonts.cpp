#include "window/window_fonts.h"

#include <QStringList>

namespace sormel {
namespace {

const QString kGothicFamily = QStringLiteral("ＭＳ Ｐゴシック");

}  // namespace

void registerFontSubstitutes() {
    QFont::insertSubstitutions(
        kGothicFamily, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                        QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic")});
}

QFont gothicFont(double points) {
    QFont font(kGothicFamily);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace sormel
