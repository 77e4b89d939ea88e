#pragma once
// Keys for buttons that take no focus: the keyboard reaches every command
// without changing the tab order. The first key is the button's own shortcut
// (and so its accessible key binding); every key is listed in its tooltip.
#include <QKeySequence>
#include <QList>

class QAbstractButton;

namespace nuthumb {

// A key acts like a click, and only while the button is visible and enabled:
// two buttons can share a key when only one of them is ever shown.
void GiveKeys(QAbstractButton* button, const QList<QKeySequence>& keys);

}  // namespace nuthumb
