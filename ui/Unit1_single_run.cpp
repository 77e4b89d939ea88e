// The single run of the individual tab, and what it shares with the batch run.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolButton>

#include "run/check_folders.h"
#include "run/conversion_messages.h"
#include "run/drive_root.h"
#include "run/error_list_file.h"
#include "run/run_folder.h"
#include "platform/file_io.h"
#include "platform/message_name.h"
#include "settings/integer_rule.h"
#include "settings/form_settings.h"
#include "ui/Nu_SHBrowseForFolder.h"
#include "ui/Unit1.h"
#include "ui/radio_group.h"
#include "ui/up_down.h"
#include "ui/window_messages.h"

namespace nuthumb {
namespace {

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

// The picker opens this far right of and below the window's outer corner, over
// the folder edits.
constexpr int kPickerOffsetX = 25;
constexpr int kPickerOffsetY = 65;

}  // namespace

bool TForm1::CheckFolders(const std::string& src_text, const std::string& dst_text, std::uint8_t message_flag) {
    return nuthumb::CheckFolders(*this, src_text, dst_text, message_flag);
}

int TForm1::RunFolder(const ThumbJob& job) { return nuthumb::RunFolder(*this, job); }

void TForm1::CheckBoxNOThumbClick() {
    for (QWidget* size_control : {static_cast<QWidget*>(Label6), static_cast<QWidget*>(EditSize),
                                  static_cast<QWidget*>(UpDownSize), static_cast<QWidget*>(Label7),
                                  static_cast<QWidget*>(RadioGroupOption)})
        size_control->setEnabled(!CheckBoxNOThumb->isChecked());
}

void TForm1::SpeedButtonSrcDirSelectClick() { ChooseFolderFor(EditSrcDir); }

void TForm1::SpeedButtonDstDirSelectClick() { ChooseFolderFor(EditDstDir); }

void TForm1::ChooseFolderFor(QLineEdit* edit) {
    // Opens on the folder the edit names, so a nearby folder is one click away.
    const QString named = edit->text();
    const QString initial = !named.isEmpty() && FolderExists(named.toStdString()) ? named : QDir::homePath();
    const QString chosen = BrowseForFolder(this, x() + kPickerOffsetX, y() + kPickerOffsetY, initial);
    if (!chosen.isEmpty()) edit->setText(chosen);
}


void TForm1::SpeedButtonThumbClick() {
    const std::string src_text = Text(EditSrcDir);
    const std::string dst_text = Text(EditDstDir);
    if (!CheckFolders(src_text, dst_text, 1)) return;
    // The text must be a number, but the run takes the spin position, which
    // always lies within the allowed sizes.
    if (!ParseInteger(Text(EditSize))) {
        ShowError(Tr(kSizeErrorMessage));
        return;
    }
    ThumbJob job = JobOfForm(FormSettingsOfControls());
    job.conversion.photo = RunPhotoOptions();
    job.src_dir = ApplyDriveRootRule(src_text);
    job.dst_dir = ApplyDriveRootRule(dst_text);

    SetSingleRunState();
    // Whatever happens from here on, even an error nobody expected, the window
    // ends in its idle state rather than stuck with every button disabled.
    struct IdleAtEnd {
        TForm1* form;
        ~IdleAtEnd() { form->SetIdleState(); }
    } idle_at_end{this};

    error_list_.clear();
    int result = 0;
    try {
        result = RunFolder(job);
    } catch (const IoError& e) {
        // The source folder exists but cannot be listed: not "no file found".
        if (EndRunForClose()) return;
        ShowError(MessageWithName(Tr(kFolderReadFailureMessage), job.src_dir) + "\r\n" + e.what());
        ResetProgress();
        return;
    }
    if (EndRunForClose()) return;

    // The progress display still shows the run's last state while the box is open.
    if (const char* message = RunResultMessage(result)) ShowInformation(message);
    ResetProgress();
    OfferErrorListExport(Tr(kSingleRunExportQuestion));
}

void TForm1::SpeedButtonCancelClick() { cancel_flag_ = true; }

void TForm1::ResetProgress() {
    ProgressBar1->setValue(0);
    LabelMes->clear();
}

void TForm1::OfferErrorListExport(const std::string& question) {
    if (error_list_.empty()) return;
    const std::string path = ErrorListPath();  // the question names the file written
    if (!AskOkCancel(MessageWithName(question + "\r\nFilename : ", path))) return;
    if (const auto reason = WriteErrorListFile(path, error_list_))
        ShowError(MessageWithName(Tr(kWriteFailureMessage), path) + "\r\n" + *reason);
}

}  // namespace nuthumb
