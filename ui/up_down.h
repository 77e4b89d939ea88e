#pragma once
// Spin arrows attached to an edit: a position kept within a range, stepped by the
// arrows or by the Up and Down keys in the edit, and written into the edit when
// it steps. The arrows never take the focus: the keyboard steps them from the
// edit. The edit itself accepts any text; a typed number moves the position
// to it, brought to the nearer bound when it lies outside the range, and the
// edit shows the position in its place as soon as the user leaves it (as a spin
// box does), so what is shown is what a run takes. Text that is no number stays
// for the run to refuse.
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace nuthumb {

class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(int minimum, int maximum, QWidget* parent);

    // The edit the arrows serve; Up and Down keys in it step the position.
    void Associate(QLineEdit* edit);

    int Position() const { return position_; }
    // Brought into the range, then shown in the edit.
    void SetPosition(int position);
    void Step(int delta);
    // When the edit holds a number that is not the position's text (outside the
    // range, or written another way: "0x1E", "+50"), shows the position instead.
    void ShowPositionForTypedNumber();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FollowTypedText(const QString& text);

    int minimum_;
    int maximum_;
    int position_;
    QLineEdit* edit_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace nuthumb
