#include "app/program_windows.h"

namespace nuthumb {

ProgramWindows::ProgramWindows(const ProgramFiles& files)
    : main_window_(std::make_unique<MainWindow>(files)),
      settings_dialog_(std::make_unique<SettingsDialog>(files.settings)),
      about_box_(std::make_unique<AboutBox>()) {
    main_window_->SetSettingsDialog(settings_dialog_.get());
    main_window_->SetAboutBox(about_box_.get());
}

}  // namespace nuthumb
