// The window's fonts: "ＭＳ Ｐゴシック" where it exists, otherwise a Japanese
// gothic face of the same size, so that Japanese captions never show as
// empty boxes.
#pragma once

#include <QFont>

namespace sormel {

// Registers the stand-ins for "ＭＳ Ｐゴシック"; call once before building fonts.
void registerFontSubstitutes();

// "ＭＳ Ｐゴシック" at `points`, normal weight.
QFont gothicFont(double points);

}  // namespace sormel
