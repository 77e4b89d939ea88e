#pragma once
// The main window's place on the screen, kept in "LEFT" and "TOP".
#include <cstdint>
#include <string>

namespace nuthumb {

// A window's outer rectangle (frame, caption and menu bar included) and the
// primary screen's size, in screen pixels.
class PlaceableWindow {
public:
    virtual ~PlaceableWindow() = default;
    virtual std::int32_t Left() const = 0;
    virtual std::int32_t Top() const = 0;
    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    virtual void SetLeft(std::int32_t left) = 0;
    virtual void SetTop(std::int32_t top) = 0;
    virtual std::int32_t ScreenWidth() const = 0;
    virtual std::int32_t ScreenHeight() const = 0;
};

// Places the window at the stored "LEFT" and "TOP" as they are (not compared with
// the screen), or centres it when either is missing or -1.
void LoadWindowPosition(const std::string& ini_path, PlaceableWindow& window);

// Writes "LEFT" then "TOP". Unlike the other groups it lets SettingsWriteError
// through: its caller reports it and skips the rest of the exit-time saving.
void SaveWindowPosition(const std::string& ini_path, const PlaceableWindow& window);

// Centres the window on the screen, each half rounded up on its own:
// left = ceil(screen width / 2) - ceil(window width / 2), likewise top.
void CenterWindow(PlaceableWindow& window);

}  // namespace nuthumb
