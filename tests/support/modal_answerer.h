#pragma once
// Answers the modal windows a handler opens, the way a user would: every
// message box is recorded (caption, text, icon, buttons) and its button clicked;
// any other modal dialog is handed to the test. It polls the application's
// active modal widget, so it needs no fixed delays, and it can also act once
// when a condition comes true during a run (a cancel click after the first file).
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace nuthumb::test {

struct SeenBox {
    std::string caption;
    std::string text;  // as shown: line breaks are LF
    QMessageBox::Icon icon;
    std::vector<std::string> buttons;
    bool operator==(const SeenBox&) const = default;
};

inline void PrintTo(const SeenBox& box, std::ostream* os) {
    *os << box.caption << " [" << box.icon << "] " << box.text << " (" << box.buttons.size() << " buttons)";
}

class ModalAnswerer {
public:
    ModalAnswerer() {
        // Two timers: Qt never re-enters a timer whose handler is still running, so
        // when an action opens a modal loop, the other timer still answers it.
        modal_timer_.setInterval(0);
        QObject::connect(&modal_timer_, &QTimer::timeout, [this] { PollModal(); });
        modal_timer_.start();
        trigger_timer_.setInterval(0);
        QObject::connect(&trigger_timer_, &QTimer::timeout, [this] { PollTriggers(); });
        trigger_timer_.start();
    }

    std::vector<SeenBox> boxes;
    // The caption of each box's default button (what Enter presses), in order.
    std::vector<std::string> default_buttons;
    // The caption of the button to click in each box, in order; "OK" when none is left.
    std::deque<std::string> answers;
    // Called with each box before it is answered (to look at the window behind it).
    std::function<void(const SeenBox&)> on_box;
    // Any modal dialog that is not a message box; without a handler it is rejected.
    std::function<void(QDialog*)> on_dialog;
    std::vector<std::string> dialogs;  // their object names, in order

    // Runs `action` once, the first time `condition` holds while events are
    // handled; a modal window that the action opens is answered as usual.
    void Once(std::function<bool()> condition, std::function<void()> action) {
        pending_.push_back({std::move(condition), std::move(action)});
    }

private:
    struct Trigger {
        std::function<bool()> condition;
        std::function<void()> action;
    };

    void PollTriggers() {
        for (auto it = pending_.begin(); it != pending_.end(); ++it) {
            if (!it->condition()) continue;
            const std::function<void()> action = std::move(it->action);
            pending_.erase(it);
            action();
            return;
        }
    }

    void PollModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == handled_) return;
        handled_ = modal;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            Answer(box);
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialogs.push_back(dialog->objectName().toStdString());
            if (on_dialog) on_dialog(dialog);
            else dialog->reject();
        }
        // A dialog that is shown again (the same object) is a new showing.
        if (handled_ && !handled_->isVisible()) handled_ = nullptr;
    }

    void Answer(QMessageBox* box) {
        SeenBox seen{box->windowTitle().toStdString(), box->text().toStdString(), box->icon(), {}};
        std::string wanted = "OK";
        if (!answers.empty()) {
            wanted = answers.front();
            answers.pop_front();
        }
        QAbstractButton* to_click = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons.push_back(button->text().toStdString());
            if (button->text().toStdString() == wanted) to_click = button;
        }
        default_buttons.push_back(box->defaultButton() ? box->defaultButton()->text().toStdString() : "");
        if (on_box) on_box(seen);
        boxes.push_back(std::move(seen));
        if (to_click) to_click->click();
        else box->reject();
    }

    QTimer modal_timer_;
    QTimer trigger_timer_;
    QPointer<QWidget> handled_;
    std::deque<Trigger> pending_;
};

}  // namespace nuthumb::test
