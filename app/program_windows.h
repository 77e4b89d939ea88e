#pragma once
// The program's three windows, each created once at start-up and destroyed at
// exit. They are created in a fixed order and destroyed in the reverse one, so
// the settings dialog's keys reach the settings file before the main window's.
#include <memory>

#include "app/about_box.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"

namespace nuthumb {

class ProgramWindows {
public:
    // Creates the main window, the settings dialog and the about box, all hidden.
    explicit ProgramWindows(const ProgramFiles& files);
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;
    ~ProgramWindows() = default;

    MainWindow& Main() const { return *main_window_; }
    SettingsDialog& Settings() const { return *settings_dialog_; }
    AboutBox& About() const { return *about_box_; }

private:
    // In creation order: members are destroyed from the last to the first.
    std::unique_ptr<MainWindow> main_window_;
    std::unique_ptr<SettingsDialog> settings_dialog_;
    std::unique_ptr<AboutBox> about_box_;
};

}  // namespace nuthumb
