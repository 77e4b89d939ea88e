// The main window as the engine's host: progress, status line, pending events,
// the live options of the settings dialog and the message boxes.
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/message_box.h"

namespace nuthumb {
namespace {

// The settings dialog's values when it is not there (only while the program
// starts or ends, when no run takes place).
constexpr int kDefaultOverwriteMode = 1;

}  // namespace

void TForm1::SetProgressMax(int maximum) { ProgressBar1->setMaximum(maximum); }

void TForm1::SetProgressPosition(int position) { ProgressBar1->setValue(position); }

void TForm1::SetStatusText(const std::string& text) { LabelMes->setText(QString::fromStdString(text)); }

void TForm1::ProcessPendingMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int TForm1::OverwriteMode() const { return form_setting_ ? form_setting_->OverwriteMode() : kDefaultOverwriteMode; }

bool TForm1::ReportLoadErrors() const { return form_setting_ && form_setting_->ReportLoadErrors(); }

void TForm1::ShowError(const std::string& text) { ShowErrorBox(this, BoxText(text)); }

void TForm1::ShowInformation(const std::string& text) { ShowInformationBox(this, BoxText(text)); }

bool TForm1::AskOkCancel(const std::string& text) { return AskOkCancelBox(this, BoxText(text)); }

}  // namespace nuthumb
