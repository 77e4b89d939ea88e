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
#include "run/run_files.h"
#include "run/run_folder.h"
#include "platform/file_io.h"
#include "platform/message_name.h"
#include "settings/integer_rule.h"
#include "settings/form_settings.h"
#include "ui/folder_picker.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
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

bool MainWindow::CheckFolders(const std::string& src_text, const std::string& dst_text, std::uint8_t message_flag) {
    return nuthumb::CheckFolders(engine_host_, src_text, dst_text, message_flag);
}

int MainWindow::RunFolder(const ThumbJob& job, const RunFiles& files, RunCounts* counts) {
    return nuthumb::RunFolder(engine_host_, job, files, counts);
}

void MainWindow::ApplyConvertOnlyRule() {
    for (QWidget* size_control : {static_cast<QWidget*>(size_label_), static_cast<QWidget*>(size_edit_),
                                  static_cast<QWidget*>(size_spin_), static_cast<QWidget*>(size_unit_label_),
                                  static_cast<QWidget*>(basis_group_)})
        size_control->setEnabled(!convert_only_check_->isChecked());
}

void MainWindow::OnSourceFolderClicked() { ChooseFolderFor(source_folder_edit_); }

void MainWindow::OnTargetFolderClicked() { ChooseFolderFor(target_folder_edit_); }

void MainWindow::ChooseFolderFor(QLineEdit* edit) {
    // Opens on the folder the edit names, so a nearby folder is one click away.
    const QString named = edit->text();
    const QString initial = !named.isEmpty() && FolderExists(named.toStdString()) ? named : QDir::homePath();
    const QString chosen = BrowseForFolder(this, x() + kPickerOffsetX, y() + kPickerOffsetY, initial);
    if (!chosen.isEmpty()) edit->setText(chosen);
}

void MainWindow::OnStartClicked() {
    const RunScope run(*this, RunState::kSingleRun);
    if (!run) return;
    const std::string src_text = Text(source_folder_edit_);
    const std::string dst_text = Text(target_folder_edit_);
    if (!CheckFolders(src_text, dst_text, 1)) return;
    // The text must be a number, but the run takes the spin position, which
    // always lies within the allowed sizes.
    if (!ParseInteger(Text(size_edit_))) {
        engine_host_.ShowError(Tr(kSizeErrorMessage));
        return;
    }
    // A typed 1024 or 10 shows as the 640 or 30 the run will take.
    size_spin_->ShowPositionForTypedNumber();
    ThumbJob job = JobOfForm(FormSettingsOfControls());
    job.conversion.photo = RunPhotoOptions();
    job.src_dir = ApplyDriveRootRule(src_text);
    job.dst_dir = ApplyDriveRootRule(dst_text);
    // One listing serves the question, the run and the note after it, so the
    // folders are read once. It is made in the run's state: it handles the
    // window's events, and nothing may start a second run meanwhile.
    std::optional<RunFiles> listing;
    try {
        listing.emplace(ListRunFiles(job, engine_host_));
    } catch (const IoError& e) {
        // The source folder exists but cannot be listed: not "no file found". A
        // run that started, so the last run's list goes.
        error_list_.clear();
        if (EndRunForClose()) return;
        engine_host_.ShowError(MessageWithName(Tr(kFolderReadFailureMessage), job.src_dir) + "\r\n" + e.what());
        ResetProgress();
        return;
    }
    if (EndRunForClose() || !MayReplaceOriginals(*listing)) return;

    error_list_.clear();
    RunCounts counts;
    const int result = RunFolder(job, *listing, &counts);
    if (EndRunForClose()) return;

    // The progress display still shows the run's last state while the box is open.
    if (const char* message = RunResultMessage(result)) {
        // The result's own words first, then what became of the files.
        std::string text = message;
        if (result != kRunNoSourceFile) text += "\r\n\r\n" + RunCountsText(counts);
        // The item of the source format group that reads every other format too.
        const std::string other_item = Fill(Tr("ファイル形式「{}」"), {Tr(kEveryFormatCaption)});
        const std::string note = result == kRunCancelled ? std::string() : PassedOverNote(*listing, other_item);
        if (!note.empty()) text += "\r\n\r\n" + note;
        engine_host_.ShowInformation(text);
    }
    ResetProgress();
    OfferErrorListExport(Tr(kSingleRunExportQuestion));
}

bool MainWindow::MayReplaceOriginals(const RunFiles& listing) {
    const std::size_t originals = CountSourcesReplacedByTheirThumbnails(listing, engine_host_.LiveOverwriteMode());
    return originals == 0 ||
           AskOkCancelBox(this, BoxText(Fill(Tr(kOriginalsReplacedQuestion), {std::to_string(originals)})),
                          DefaultAnswer::kCancel);
}

void MainWindow::OnStopClicked() { cancel_flag_ = true; }

void MainWindow::ResetProgress() {
    progress_bar_->setValue(0);
    status_label_->clear();
}

void MainWindow::OfferErrorListExport(const std::string& question) {
    if (error_list_.empty()) return;
    const std::string path = ErrorListPath();  // the question names the file written
    if (!engine_host_.AskOkCancel(MessageWithName(question + "\r\nFilename : ", path))) return;
    if (const auto reason = WriteErrorListFile(path, error_list_))
        engine_host_.ShowError(MessageWithName(Tr(kWriteFailureMessage), path) + "\r\n" + *reason);
}

}  // namespace nuthumb
