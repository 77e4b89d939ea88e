#include "ui/radio_group.h"

#include <QButtonGroup>
#include <QFocusEvent>
#include <QRadioButton>
#include <QStylePainter>
#include <qdrawutil.h>

namespace nuthumb {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent, Fill fill,
                       const QList<int>& ids)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)), columns_(columns), fill_(fill) {
    setAccessibleName(caption);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        buttons_->addButton(button, i < ids.size() ? ids[i] : i);
        button->installEventFilter(this);
    }
}

int RadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void RadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last checked button.
    buttons_->setExclusive(false);
    for (QAbstractButton* b : buttons_->buttons()) b->setChecked(false);
    buttons_->setExclusive(true);
}

bool RadioGroup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        QAbstractButton* checked = buttons_->checkedButton();
        if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) && checked && checked != watched) {
            checked->setFocus(reason);
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    PlaceButtons();
}

void RadioGroup::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    const int text_height = fontMetrics().height();
    // An etched line: sunken outside, raised inside.
    qDrawShadeRect(&painter, rect().adjusted(0, text_height / 2, 0, 0), palette(), true, 1, 0);
    const QRect caption(6, 0, fontMetrics().horizontalAdvance(title()) + 4, text_height);
    painter.fillRect(caption, palette().window());
    style()->drawItemText(&painter, caption, Qt::AlignCenter, palette(), isEnabled(), title(),
                          QPalette::WindowText);
}

// Below the caption, inside the frame.
QRect RadioGroup::ItemArea() const {
    const int top = fontMetrics().height();
    return QRect(2, top, width() - 4, height() - top - 2);
}

// Items fill the item area in equal cells, column by column as the rows run
// out, the way a fixed-size form lays them out; no layout manager, so the group
// keeps exactly the size it was given.
void RadioGroup::PlaceButtons() {
    const QList<QAbstractButton*> list = buttons_->buttons();
    if (list.isEmpty()) return;
    const QRect inside = ItemArea();
    const int rows = (static_cast<int>(list.size()) + columns_ - 1) / columns_;
    const int cell_width = (inside.width() - 4) / columns_;
    const int cell_height = inside.height() / rows;
    for (int i = 0; i < list.size(); ++i) {
        const bool by_rows = fill_ == Fill::kRowByRow;
        const int column = by_rows ? i % columns_ : i / rows;
        const int row = by_rows ? i / columns_ : i % rows;
        list[i]->setGeometry(inside.left() + 4 + column * cell_width, inside.top() + row * cell_height,
                             cell_width, cell_height);
    }
}

}  // namespace nuthumb
