#include "ui/Unit1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>

#include "batch/batch_store.h"
#include "run/check_folders.h"
#include "settings/form_settings.h"
#include "settings/photo_settings.h"
#include "settings/settings_file.h"
#include "ui/Nu_SHBrowseForFolder.h"
#include "ui/Unit2.h"
#include "ui/handler_guard.h"
#include "ui/message_box.h"
#include "ui/placeable_widget.h"
#include "ui/radio_group.h"
#include "ui/up_down.h"

namespace nuthumb {
namespace {

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

// One after the other, in the order listed.
void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets) widget->setEnabled(enabled);
}

}  // namespace

TForm1::TForm1(ProgramFiles files) : files_(std::move(files)) {
    BuildLayout();
    ConnectHandlers();
    FormCreate();
}

TForm1::~TForm1() {
    RunGuarded(nullptr, [this] { FormDestroy(); });
}

void TForm1::SetSettingDialog(TFormSetting* dialog) {
    form_setting_ = dialog;
    connect(dialog, &TFormSetting::PhotoOptionsAtExit, this,
            [this](const PhotoOptions& options) { photo_at_exit_ = options; });
}

PhotoOptions TForm1::RunPhotoOptions() const {
    return form_setting_ ? form_setting_->PhotoOptionsOfControls() : PhotoOptions{};
}

void TForm1::SetAboutBox(QDialog* about_box) { about_box_ = about_box; }

void TForm1::ConnectHandlers() {
    // Every handler runs guarded: an error that escapes it is shown and the
    // window goes on.
    const auto bind = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this, [this, handler] { RunGuarded(this, [&] { (this->*handler)(); }); });
    };
    bind(Exit1, &QAction::triggered, &TForm1::Exit1Click);
    bind(N5, &QAction::triggered, &TForm1::N5Click);
    bind(N4, &QAction::triggered, &TForm1::N4Click);
    bind(Help2, &QAction::triggered, &TForm1::Help2Click);
    bind(N2, &QAction::triggered, &TForm1::N2Click);
    bind(SpeedButtonSrcDirSelect, &QToolButton::clicked, &TForm1::SpeedButtonSrcDirSelectClick);
    bind(SpeedButtonDstDirSelect, &QToolButton::clicked, &TForm1::SpeedButtonDstDirSelectClick);
    bind(SpeedButtonThumb, &QToolButton::clicked, &TForm1::SpeedButtonThumbClick);
    bind(SpeedButtonCancel, &QToolButton::clicked, &TForm1::SpeedButtonCancelClick);
    bind(SpeedButtonBat, &QToolButton::clicked, &TForm1::SpeedButtonBatClick);
    bind(SpeedButtonAdd, &QToolButton::clicked, &TForm1::SpeedButtonAddClick);
    bind(SpeedButtonUpdate, &QToolButton::clicked, &TForm1::SpeedButtonUpdateClick);
    bind(SpeedButtonDelete, &QToolButton::clicked, &TForm1::SpeedButtonDeleteClick);
    bind(SpeedButtonAllClear, &QToolButton::clicked, &TForm1::SpeedButtonAllClearClick);
    bind(SpeedButtonUp, &QToolButton::clicked, &TForm1::SpeedButtonUpClick);
    bind(SpeedButtonDown, &QToolButton::clicked, &TForm1::SpeedButtonDownClick);
    bind(SpeedButtonBatExe, &QToolButton::clicked, &TForm1::SpeedButtonBatExeClick);
    bind(SpeedButtonBatCancel, &QToolButton::clicked, &TForm1::SpeedButtonBatCancelClick);
    // Every change of the check, by the user or by loading the settings.
    bind(CheckBoxNOThumb, &QCheckBox::toggled, &TForm1::CheckBoxNOThumbClick);
    // The user picking an entry, by mouse or keyboard, or clicking the picked one
    // again; the program's own changes of the list are made with its signals
    // blocked and do not count.
    bind(ListBoxBat, &QListWidget::itemSelectionChanged, &TForm1::ListBoxBatClick);
    bind(ListBoxBat, &QListWidget::itemClicked, &TForm1::ListBoxBatClick);
}

void TForm1::FormCreate() {
    PlaceableWidget placeable(this);
    LoadWindowPosition(files_.settings.Path(), placeable);

    const FormSettings s = LoadFormSettings(files_.settings.Path());
    EditSrcDir->setText(QString::fromStdString(s.src_dir));
    EditDstDir->setText(QString::fromStdString(s.dst_dir));
    EditHead->setText(QString::fromStdString(s.file_head));
    EditEnd->setText(QString::fromStdString(s.file_end));
    UpDownSize->SetPosition(s.size);
    RadioGroupOption->SetItemIndex(s.option);
    RadioGroupReadFileExt->SetItemIndex(s.read_file_mode);
    RadioGroupSaveFileExt->SetItemIndex(s.save_file_mode);
    CheckBoxNOThumb->setChecked(s.no_thumb);
    N5->setChecked(s.batch);

    SetIdleState();
    CheckBoxNOThumbClick();
    error_list_.clear();
    PageControl1->setCurrentWidget(TabSheet1);
    ShowBatchFeature(N5->isChecked() ? 1 : 0);

    batch_list_.entries = LoadBatchList(files_.settings.Path());
    ShowBatchList();
}

void TForm1::FormDestroy() {
    try {
        const PlaceableWidget placeable(this);
        SaveWindowPosition(files_.settings.Path(), placeable);
    } catch (const SettingsWriteError& e) {
        // The one exit-time failure the user hears of; the rest of the saving is
        // skipped, since it would fail the same way. The system's reason on a line
        // of its own tells a full disk from a folder that is a file.
        QString text = QString::fromStdString(e.what()) + ".";
        if (!e.reason().empty()) text += "\n" + QString::fromStdString(e.reason());
        ShowProgramErrorBox(nullptr, text);
        return;
    }

    // A value the file cannot hold costs only its own key, and the user hears which.
    std::vector<std::string> refused = SaveFormSettings(files_.settings.Path(), FormSettingsOfControls());
    const std::vector<std::string> refused_entries = SaveBatchList(files_.settings.Path(), batch_list_.entries);
    refused.insert(refused.end(), refused_entries.begin(), refused_entries.end());
    // The photo group's keys come after every older key of the file.
    if (form_setting_) photo_at_exit_ = form_setting_->PhotoOptionsOfControls();
    if (photo_at_exit_) SavePhotoSettings(files_.settings.Path(), *photo_at_exit_);
    error_list_.clear();
    if (!refused.empty()) {
        const SettingsWriteError refusal(files_.settings.Path(), refused);
        ShowProgramErrorBox(nullptr, QString::fromStdString(refusal.what()) + ".");
    }
}

FormSettings TForm1::FormSettingsOfControls() const {
    FormSettings s;
    s.src_dir = Text(EditSrcDir);
    s.dst_dir = Text(EditDstDir);
    s.file_head = Text(EditHead);
    s.file_end = Text(EditEnd);
    s.size = UpDownSize->Position();
    s.option = RadioGroupOption->ItemIndex();
    s.read_file_mode = RadioGroupReadFileExt->ItemIndex();
    s.save_file_mode = RadioGroupSaveFileExt->ItemIndex();
    s.no_thumb = CheckBoxNOThumb->isChecked();
    s.batch = N5->isChecked();
    return s;
}

void TForm1::SetIdleState() { EnterRunState(RunState::kIdle); }

void TForm1::SetSingleRunState() { EnterRunState(RunState::kSingleRun); }

void TForm1::SetBatchRunState() { EnterRunState(RunState::kBatchRun); }

void TForm1::EnterRunState(RunState state) {
    run_state_ = state;
    RenderRunState();
}

void TForm1::RenderRunState() {
    const bool idle = run_state_ == RunState::kIdle;
    SetEnabled({EditSrcDir, SpeedButtonSrcDirSelect, RadioGroupReadFileExt, EditDstDir, SpeedButtonDstDirSelect,
                EditHead, EditEnd, RadioGroupSaveFileExt, EditSize, UpDownSize, RadioGroupOption, SpeedButtonThumb,
                SpeedButtonBat},
               idle);
    SpeedButtonCancel->setEnabled(run_state_ == RunState::kSingleRun);
    SetEnabled({ListBoxBat, EditBat, SpeedButtonAdd, SpeedButtonUpdate, SpeedButtonDelete, SpeedButtonAllClear,
                SpeedButtonUp, SpeedButtonDown, SpeedButtonBatExe},
               idle);
    SpeedButtonBatCancel->setEnabled(run_state_ == RunState::kBatchRun);
    // The rule has the last word on the size controls in every state.
    CheckBoxNOThumbClick();
}

void TForm1::ShowBatchFeature(std::uint8_t on) {
    const bool visible = on == 1;
    if (!visible && PageControl1->currentWidget() == TabSheet2) PageControl1->setCurrentWidget(TabSheet1);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet2), visible);
    SpeedButtonBat->setVisible(visible);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (RunActive()) {
        // The run is somewhere down this very call stack; it must unwind (after
        // its current file) before the window can go and store its settings.
        cancel_flag_ = true;
        close_requested_ = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool TForm1::EndRunForClose() {
    if (!close_requested_) return false;
    close_requested_ = false;
    ResetProgress();
    SetIdleState();
    close();
    return true;
}

}  // namespace nuthumb
