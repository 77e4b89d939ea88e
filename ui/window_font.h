#pragma once
// The font every window of the program uses.
#include <QFont>

class QWidget;

namespace nuthumb {

// "ＭＳ Ｐゴシック" at 12 pixels. A Linux desktop has no font of that name, so the
// name is mapped onto an installed proportional Japanese gothic (IPAPGothic from
// Debian's fonts-ipafont-gothic first). Pixel sizes are logical: on a high-DPI
// screen Qt scales the font together with every position and size.
QFont WindowFont();

// Gives the window that font; its controls inherit it.
void ApplyWindowFont(QWidget* window);

}  // namespace nuthumb
