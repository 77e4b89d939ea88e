// The single run of the individual tab, and what it shares with the batch run.
#include <QCheckBox>
#include <QCoreApplication>
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
#include "settings/integer_rule.h"
#include "ui/Unit1.h"
#include "ui/radio_group.h"
#include "ui/up_down.h"
#include "ui/window_messages.h"

namespace nuthumb {
namespace {

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

const char* FormatOf(const RadioGroup* group) { return group->ItemIndex() == 0 ? "bmp" : "jpg"; }

}  // namespace

bool TForm1::CheckFolders(const std::string& src_text, const std::string& dst_text, std::uint8_t message_flag) {
    return nuthumb::CheckFolders(*this, src_text, dst_text, message_flag);
}

int TForm1::RunFolder(const std::string& src_dir, const std::string& src_format, const std::string& dst_dir,
                      const std::string& dst_format, const std::string& prefix, const std::string& suffix,
                      std::int32_t size, std::int32_t basis, std::uint8_t resize_flag) {
    return nuthumb::RunFolder(*this, src_dir, src_format, dst_dir, dst_format, prefix, suffix, size, basis,
                              resize_flag);
}

void TForm1::SpeedButtonThumbClick() {
    const std::string src_text = Text(EditSrcDir);
    const std::string dst_text = Text(EditDstDir);
    if (!CheckFolders(src_text, dst_text, 1)) return;
    // The text must be a number, but the run takes the spin position, which
    // always lies within the allowed sizes.
    if (!ParseInteger(Text(EditSize))) {
        ShowError(kSizeErrorMessage);
        return;
    }
    const std::string src_format = FormatOf(RadioGroupReadFileExt);
    const std::string dst_format = FormatOf(RadioGroupSaveFileExt);

    SetSingleRunState();
    // Whatever happens from here on, even an error nobody expected, the window
    // ends in its idle state rather than stuck with every button disabled.
    struct IdleAtEnd {
        TForm1* form;
        ~IdleAtEnd() { form->SetIdleState(); }
    } idle_at_end{this};

    error_list_.clear();
    const std::string src_dir = ApplyDriveRootRule(src_text);
    const std::string dst_dir = ApplyDriveRootRule(dst_text);
    int result = 0;
    try {
        result = RunFolder(src_dir, src_format, dst_dir, dst_format, Text(EditHead), Text(EditEnd),
                           UpDownSize->Position(), RadioGroupOption->ItemIndex(),
                           CheckBoxNOThumb->isChecked() ? 0 : 1);
    } catch (const IoError& e) {
        // The source folder exists but cannot be listed: not "no file found".
        if (EndRunForClose()) return;
        ShowError(kFolderReadFailureMessage + src_dir + "\r\n" + e.what());
        ResetProgress();
        return;
    }
    if (EndRunForClose()) return;

    // The progress display still shows the run's last state while the box is open.
    if (const char* message = RunResultMessage(result)) ShowInformation(message);
    ResetProgress();
    OfferErrorListExport(kSingleRunExportQuestion);
}

void TForm1::SpeedButtonCancelClick() { cancel_flag_ = true; }

void TForm1::SpeedButtonBatCancelClick() { cancel_flag_ = true; }

void TForm1::ResetProgress() {
    ProgressBar1->setValue(0);
    LabelMes->clear();
}

void TForm1::OfferErrorListExport(const std::string& question) {
    if (error_list_.empty()) return;
    const std::string path = ErrorListPath();  // the question names the file written
    if (!AskOkCancel(question + "\r\nFilename : " + path)) return;
    if (const auto reason = WriteErrorListFile(path, error_list_))
        ShowError(kWriteFailureMessage + path + "\r\n" + *reason);
}

}  // namespace nuthumb
