#include "ui/placeable_widget.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPoint>
#include <QScreen>
#include <QWidget>
#include <optional>

namespace nuthumb {
namespace {

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(0, 0);
}

// Watches the dialog's showing and hiding; lives as the dialog's child.
class PlacementKeeper : public QObject {
public:
    explicit PlacementKeeper(QWidget* dialog) : QObject(dialog), dialog_(dialog) {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != dialog_) return false;
        if (event->type() == QEvent::Show) {
            if (last_place_) {
                dialog_->move(*last_place_);
            } else {
                PlaceableWidget placeable(dialog_);
                CenterWindow(placeable);
            }
        } else if (event->type() == QEvent::Hide) {
            last_place_ = dialog_->pos();
        }
        return false;
    }

private:
    QWidget* dialog_;
    std::optional<QPoint> last_place_;
};

}  // namespace

std::int32_t PlaceableWidget::Left() const { return window_->x(); }
std::int32_t PlaceableWidget::Top() const { return window_->y(); }
std::int32_t PlaceableWidget::Width() const { return window_->frameGeometry().width(); }
std::int32_t PlaceableWidget::Height() const { return window_->frameGeometry().height(); }
void PlaceableWidget::SetLeft(std::int32_t left) { window_->move(left, window_->y()); }
void PlaceableWidget::SetTop(std::int32_t top) { window_->move(window_->x(), top); }
std::int32_t PlaceableWidget::ScreenWidth() const { return ScreenSize().width(); }
std::int32_t PlaceableWidget::ScreenHeight() const { return ScreenSize().height(); }

void KeepDialogPlacement(QWidget* dialog) { new PlacementKeeper(dialog); }

}  // namespace nuthumb
