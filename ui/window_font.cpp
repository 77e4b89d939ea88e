#include "ui/window_font.h"

#include <QWidget>

namespace nuthumb {
namespace {

constexpr char kFamily[] = "ＭＳ Ｐゴシック";

void RegisterSubstitutes() {
    static const bool registered = [] {
        QFont::insertSubstitutions(kFamily, {"IPAPGothic", "IPA Pゴシック", "IPAGothic", "VL PGothic",
                                             "Noto Sans CJK JP", "Droid Sans Japanese"});
        return true;
    }();
    (void)registered;
}

}  // namespace

QFont WindowFont() {
    RegisterSubstitutes();
    QFont font(kFamily);
    font.setPixelSize(12);
    return font;
}

void ApplyWindowFont(QWidget* window) { window->setFont(WindowFont()); }

}  // namespace nuthumb
