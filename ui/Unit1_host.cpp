// The main window as the engine's host: progress, status line, pending events,
// the live options of the settings dialog and the message boxes.
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include "settings/option_values.h"
#include "settings/settings_table.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/message_box.h"

namespace nuthumb {
void TForm1::SetProgressMax(int maximum) { ProgressBar1->setMaximum(maximum); }

void TForm1::SetProgressPosition(int position) { ProgressBar1->setValue(position); }

void TForm1::SetStatusText(const std::string& text) { LabelMes->setText(QString::fromStdString(text)); }

void TForm1::ProcessPendingMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

// Without the settings dialog (only while the program starts or ends, when no run
// takes place) the stored default holds.
OverwriteMode TForm1::LiveOverwriteMode() const {
    return form_setting_ ? form_setting_->LiveOverwriteMode()
                         : OverwriteModeOfItem(keys::kRadioGroupSaveMode.fallback);
}

bool TForm1::ReportLoadErrors() const { return form_setting_ && form_setting_->ReportLoadErrors(); }

void TForm1::ShowError(const std::string& text) { ShowErrorBox(this, BoxText(text)); }

void TForm1::ShowInformation(const std::string& text) { ShowInformationBox(this, BoxText(text)); }

bool TForm1::AskOkCancel(const std::string& text) { return AskOkCancelBox(this, BoxText(text)); }

}  // namespace nuthumb
