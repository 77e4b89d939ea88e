// The main window as the engine's host: progress, status line, pending events,
// the live options of the settings dialog and the message boxes.
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include "settings/option_values.h"
#include "settings/settings_table.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/message_box.h"

namespace nuthumb {

void MainWindow::EngineHost::SetProgressMax(int maximum) {
    window_.progress_bar_->setMaximum(maximum);
    clock_.Start(maximum);
}

void MainWindow::EngineHost::SetProgressPosition(int position) { window_.progress_bar_->setValue(position); }

// The run's text after how far it is ("12/345  残り 1:42  "), ahead of the file's
// name, which a long name may cut off at the line's end.
void MainWindow::EngineHost::SetStatusText(const std::string& text) {
    const int done = window_.progress_bar_->value();
    std::string shown = clock_.CountText(done) + "  ";
    if (const std::string left = clock_.TimeLeftText(done); !left.empty()) shown += left + "  ";
    window_.status_label_->setText(QString::fromStdString(shown + text));
}

void MainWindow::EngineHost::ProcessPendingMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

// Without the settings dialog (only while the program starts or ends, when no run
// takes place) the stored default holds.
OverwriteMode MainWindow::EngineHost::LiveOverwriteMode() const {
    return window_.settings_dialog_ ? window_.settings_dialog_->LiveOverwriteMode()
                                    : OverwriteModeOfItem(keys::kRadioGroupSaveMode.fallback);
}

bool MainWindow::EngineHost::ReportLoadErrors() const {
    return window_.settings_dialog_ && window_.settings_dialog_->ReportLoadErrors();
}

void MainWindow::EngineHost::ShowError(const std::string& text) { ShowErrorBox(&window_, BoxText(text)); }

void MainWindow::EngineHost::ShowInformation(const std::string& text) { ShowInformationBox(&window_, BoxText(text)); }

bool MainWindow::EngineHost::AskOkCancel(const std::string& text) { return AskOkCancelBox(&window_, BoxText(text)); }

}  // namespace nuthumb
