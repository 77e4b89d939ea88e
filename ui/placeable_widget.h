#pragma once
// A top-level widget seen through the settings layer's window-position rules:
// the outer frame's place and size, and the primary screen's size.
#include "settings/window_position.h"

class QWidget;

namespace nuthumb {

class PlaceableWidget : public PlaceableWindow {
public:
    explicit PlaceableWidget(QWidget* window) : window_(window) {}
    std::int32_t Left() const override;
    std::int32_t Top() const override;
    // Before the first showing the frame is not known yet; the window's own size
    // stands in for it.
    std::int32_t Width() const override;
    std::int32_t Height() const override;
    void SetLeft(std::int32_t left) override;
    void SetTop(std::int32_t top) override;
    std::int32_t ScreenWidth() const override;
    std::int32_t ScreenHeight() const override;

private:
    QWidget* window_;
};

// Makes a dialog open centred on the screen the first time and, every later
// time, where it was when it was last closed.
void KeepDialogPlacement(QWidget* dialog);

}  // namespace nuthumb
