#include "settings/window_position.h"

#include "settings/settings_file.h"

namespace nuthumb {
namespace {

// ceil(x / 2) for any int32, without floating point or overflow.
std::int64_t HalfRoundedUp(std::int32_t x) {
    const std::int64_t v = x;
    return v >= 0 ? (v + 1) / 2 : v / 2;  // division truncates, i.e. rounds up below 0
}

}  // namespace

void LoadWindowPosition(const std::string& ini_path, PlaceableWindow& window) {
    const SettingsFile file(ini_path);
    const std::int32_t left = file.Read(keys::kLeft);
    const std::int32_t top = file.Read(keys::kTop);
    if (left == -1 || top == -1) {
        CenterWindow(window);
        return;
    }
    window.SetLeft(left);
    window.SetTop(top);
}

void SaveWindowPosition(const std::string& ini_path, const PlaceableWindow& window) {
    SettingsFile file(ini_path);
    file.Write(keys::kLeft, window.Left());
    file.Write(keys::kTop, window.Top());
}

void CenterWindow(PlaceableWindow& window) {
    // Each difference of two halves of int32 values fits in an int32.
    window.SetTop(static_cast<std::int32_t>(HalfRoundedUp(window.ScreenHeight()) -
                                            HalfRoundedUp(window.Height())));
    window.SetLeft(static_cast<std::int32_t>(HalfRoundedUp(window.ScreenWidth()) -
                                             HalfRoundedUp(window.Width())));
}

}  // namespace nuthumb
