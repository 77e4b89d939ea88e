#include "ui/up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "settings/integer_rule.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

QToolButton* MakeArrow(Qt::ArrowType arrow, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(name);
    return button;
}

}  // namespace

UpDown::UpDown(int minimum, int maximum, QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(maximum),
      position_(minimum),
      up_(MakeArrow(Qt::UpArrow, QString(Tr("増やす")), this)),
      down_(MakeArrow(Qt::DownArrow, QString(Tr("減らす")), this)) {
    setFocusPolicy(Qt::NoFocus);
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDown::Associate(QLineEdit* edit) {
    edit_ = edit;
    edit->installEventFilter(this);
    // Only what the user types: the text the arrows write must not move them back.
    connect(edit, &QLineEdit::textEdited, this, &UpDown::FollowTypedText);
    // Return, or the focus gone elsewhere, after a change.
    connect(edit, &QLineEdit::editingFinished, this, &UpDown::ShowPositionForTypedNumber);
    SetPosition(position_);
}

void UpDown::ShowPositionForTypedNumber() {
    if (!edit_ || !ParseInteger(edit_->text().toStdString())) return;
    const QString shown = QString::number(position_);
    if (edit_->text() != shown) edit_->setText(shown);
}

void UpDown::SetPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
    if (edit_) edit_->setText(QString::number(position_));
}

void UpDown::Step(int delta) {
    if (!isEnabled()) return;
    // No wrap-around: at a bound the arrow pointing out does nothing.
    SetPosition(static_cast<int>(std::clamp<long long>(static_cast<long long>(position_) + delta,
                                                       minimum_, maximum_)));
}

void UpDown::FollowTypedText(const QString& text) {
    if (const auto number = ParseInteger(text.toStdString())) position_ = std::clamp(*number, minimum_, maximum_);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace nuthumb
