#pragma once
// The program's three windows, each created once at start-up and destroyed at
// exit. They are created in a fixed order and destroyed in the reverse one, so
// the settings dialog's keys reach the settings file before the main window's.
#include <memory>

#include "app/Nu_AboutBoxFrm.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"

namespace nuthumb {

class ProgramWindows {
public:
    // Creates the main window, the settings dialog and the about box, all hidden.
    explicit ProgramWindows(const ProgramFiles& files);
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;
    ~ProgramWindows() = default;

    TForm1& Form1() const { return *form1_; }
    TFormSetting& FormSetting() const { return *form_setting_; }
    TNu_AboutBox& AboutBox() const { return *about_box_; }

private:
    // In creation order: members are destroyed from the last to the first.
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TFormSetting> form_setting_;
    std::unique_ptr<TNu_AboutBox> about_box_;
};

}  // namespace nuthumb
