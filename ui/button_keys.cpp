#include "ui/button_keys.h"

#include <QAbstractButton>
#include <QShortcut>
#include <QStringList>

namespace nuthumb {

void GiveKeys(QAbstractButton* button, const QList<QKeySequence>& keys) {
    if (keys.isEmpty()) return;
    button->setShortcut(keys.front());
    QStringList texts{keys.front().toString(QKeySequence::NativeText)};
    for (qsizetype i = 1; i < keys.size(); ++i) {
        // Owned by the button, so its context follows the button's visibility.
        auto* extra = new QShortcut(keys[i], button);
        QObject::connect(extra, &QShortcut::activated, button, [button] {
            if (button->isEnabled()) button->animateClick();
        });
        texts.append(keys[i].toString(QKeySequence::NativeText));
    }
    const QString description = button->accessibleDescription();
    const QString key_text = texts.join(QStringLiteral(", "));
    button->setToolTip(description.isEmpty() ? key_text : description + QStringLiteral(" (") + key_text + ')');
}

}  // namespace nuthumb
