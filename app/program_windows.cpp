#include "app/program_windows.h"

namespace nuthumb {

ProgramWindows::ProgramWindows(const ProgramFiles& files)
    : form1_(std::make_unique<TForm1>(files)),
      form_setting_(std::make_unique<TFormSetting>(files.settings)),
      about_box_(std::make_unique<TNu_AboutBox>()) {
    form1_->SetSettingDialog(form_setting_.get());
    form1_->SetAboutBox(about_box_.get());
}

}  // namespace nuthumb
