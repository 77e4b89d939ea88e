#include "ui/main_window.h"

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
#include "settings/form_settings.h"
#include "settings/option_values.h"
#include "settings/photo_settings.h"
#include "settings/settings_file.h"
#include "ui/folder_picker.h"
#include "ui/settings_dialog.h"
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

MainWindow::MainWindow(ProgramFiles files) : files_(std::move(files)) {
    BuildLayout();
    ConnectHandlers();
    LoadStoredState();
}

MainWindow::~MainWindow() {
    RunGuarded(nullptr, [this] { StoreState(); });
}

void MainWindow::SetSettingsDialog(SettingsDialog* dialog) {
    settings_dialog_ = dialog;
    connect(dialog, &SettingsDialog::PhotoOptionsAtExit, this,
            [this](const PhotoOptions& options) { photo_at_exit_ = options; });
    // The preset's part that lives on the individual tab; like any change made
    // during a run, it counts from the next run on.
    connect(dialog, &SettingsDialog::PhotoPresetChosen, this, [this] {
        source_format_group_->SetItemIndex(ItemOfSource(kPhotoPreset.source));
        basis_group_->SetItemIndex(ItemOfBasis(kPhotoPreset.basis));
    });
}

PhotoOptions MainWindow::RunPhotoOptions() const {
    return settings_dialog_ ? settings_dialog_->PhotoOptionsOfControls() : PhotoOptions{};
}

void MainWindow::SetAboutBox(QDialog* about_box) { about_box_ = about_box; }

void MainWindow::ConnectHandlers() {
    // Every handler runs guarded: an error that escapes it is shown and the
    // window goes on.
    const auto bind = [this](auto* sender, auto signal, void (MainWindow::*handler)()) {
        connect(sender, signal, this, [this, handler] { RunGuarded(this, [&] { (this->*handler)(); }); });
    };
    bind(quit_action_, &QAction::triggered, &MainWindow::OnQuitTriggered);
    bind(batch_feature_action_, &QAction::triggered, &MainWindow::OnBatchFeatureToggled);
    bind(settings_action_, &QAction::triggered, &MainWindow::OnSettingsTriggered);
    bind(help_action_, &QAction::triggered, &MainWindow::OnHelpTriggered);
    bind(about_action_, &QAction::triggered, &MainWindow::OnAboutTriggered);
    bind(source_folder_button_, &QToolButton::clicked, &MainWindow::OnSourceFolderClicked);
    bind(target_folder_button_, &QToolButton::clicked, &MainWindow::OnTargetFolderClicked);
    bind(start_button_, &QToolButton::clicked, &MainWindow::OnStartClicked);
    bind(stop_button_, &QToolButton::clicked, &MainWindow::OnStopClicked);
    bind(register_batch_button_, &QToolButton::clicked, &MainWindow::OnRegisterBatchClicked);
    bind(add_entry_button_, &QToolButton::clicked, &MainWindow::OnAddEntryClicked);
    bind(update_entry_button_, &QToolButton::clicked, &MainWindow::OnUpdateEntryClicked);
    bind(delete_entry_button_, &QToolButton::clicked, &MainWindow::OnDeleteEntryClicked);
    bind(clear_list_button_, &QToolButton::clicked, &MainWindow::OnClearListClicked);
    bind(move_up_button_, &QToolButton::clicked, &MainWindow::OnMoveUpClicked);
    bind(move_down_button_, &QToolButton::clicked, &MainWindow::OnMoveDownClicked);
    bind(batch_start_button_, &QToolButton::clicked, &MainWindow::OnBatchStartClicked);
    bind(batch_stop_button_, &QToolButton::clicked, &MainWindow::OnBatchStopClicked);
    // Every change of the check, by the user or by loading the settings.
    bind(convert_only_check_, &QCheckBox::toggled, &MainWindow::ApplyConvertOnlyRule);
    // The user picking an entry, by mouse or keyboard, or clicking the picked one
    // again; the program's own changes of the list are made with its signals
    // blocked and do not count.
    bind(batch_list_box_, &QListWidget::itemSelectionChanged, &MainWindow::OnBatchListPicked);
    bind(batch_list_box_, &QListWidget::itemClicked, &MainWindow::OnBatchListPicked);
}

void MainWindow::LoadStoredState() {
    PlaceableWidget placeable(this);
    LoadWindowPosition(files_.settings.Path(), placeable);

    const FormSettings s = LoadFormSettings(SettingsFile(files_.settings.Path()));
    source_folder_edit_->setText(QString::fromStdString(s.src_dir));
    target_folder_edit_->setText(QString::fromStdString(s.dst_dir));
    prefix_edit_->setText(QString::fromStdString(s.file_head));
    suffix_edit_->setText(QString::fromStdString(s.file_end));
    size_spin_->SetPosition(s.size);
    basis_group_->SetItemIndex(s.option);
    source_format_group_->SetItemIndex(s.read_file_mode);
    target_format_group_->SetItemIndex(s.save_file_mode);
    convert_only_check_->setChecked(s.no_thumb);
    recursive_check_->setChecked(s.recursive);
    update_check_->setChecked(s.update);
    batch_feature_action_->setChecked(s.batch);

    SetIdleState();
    ApplyConvertOnlyRule();
    error_list_.clear();
    pages_->setCurrentWidget(single_tab_);
    ShowBatchFeature(batch_feature_action_->isChecked() ? 1 : 0);

    batch_list_.entries = LoadBatchList(files_.settings.Path());
    ShowBatchList();
}

void MainWindow::StoreState() {
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
    // The photo group's keys come after every older key of the file, the
    // subfolder box, newer still, after them, then the colour box and previews,
    // and the update box last.
    if (settings_dialog_) photo_at_exit_ = settings_dialog_->PhotoOptionsOfControls();
    if (photo_at_exit_) SavePhotoSettings(files_.settings.Path(), *photo_at_exit_);
    SaveSubfolderChoice(files_.settings.Path(), FormSettingsOfControls());
    if (photo_at_exit_) SaveNewerPhotoKeys(files_.settings.Path(), *photo_at_exit_);
    SaveUpdateChoice(files_.settings.Path(), FormSettingsOfControls());
    error_list_.clear();
    if (!refused.empty()) {
        const SettingsWriteError refusal(files_.settings.Path(), refused);
        ShowProgramErrorBox(nullptr, QString::fromStdString(refusal.what()) + ".");
    }
}

FormSettings MainWindow::FormSettingsOfControls() const {
    FormSettings s;
    s.src_dir = Text(source_folder_edit_);
    s.dst_dir = Text(target_folder_edit_);
    s.file_head = Text(prefix_edit_);
    s.file_end = Text(suffix_edit_);
    s.size = size_spin_->Position();
    s.option = basis_group_->ItemIndex();
    s.read_file_mode = source_format_group_->ItemIndex();
    s.save_file_mode = target_format_group_->ItemIndex();
    s.no_thumb = convert_only_check_->isChecked();
    s.batch = batch_feature_action_->isChecked();
    s.recursive = recursive_check_->isChecked();
    s.update = update_check_->isChecked();
    return s;
}

void MainWindow::SetIdleState() { EnterRunState(RunState::kIdle); }

void MainWindow::SetSingleRunState() { EnterRunState(RunState::kSingleRun); }

void MainWindow::SetBatchRunState() { EnterRunState(RunState::kBatchRun); }

void MainWindow::EnterRunState(RunState state) {
    run_state_ = state;
    RenderRunState();
}

void MainWindow::RenderRunState() {
    const bool idle = run_state_ == RunState::kIdle;
    SetEnabled({source_folder_edit_, source_folder_button_, recursive_check_, source_format_group_, target_folder_edit_,
                target_folder_button_, update_check_, prefix_edit_, suffix_edit_, target_format_group_, size_edit_,
                size_spin_, basis_group_, start_button_, register_batch_button_},
               idle);
    stop_button_->setEnabled(run_state_ == RunState::kSingleRun);
    SetEnabled({batch_list_box_, batch_entry_edit_, add_entry_button_, update_entry_button_, delete_entry_button_,
                clear_list_button_, move_up_button_, move_down_button_, batch_start_button_},
               idle);
    batch_stop_button_->setEnabled(run_state_ == RunState::kBatchRun);
    // The rule has the last word on the size controls in every state.
    ApplyConvertOnlyRule();
}

void MainWindow::ShowBatchFeature(std::uint8_t on) {
    const bool visible = on == 1;
    if (!visible && pages_->currentWidget() == batch_tab_) pages_->setCurrentWidget(single_tab_);
    pages_->setTabVisible(pages_->indexOf(batch_tab_), visible);
    register_batch_button_->setVisible(visible);
}

void MainWindow::closeEvent(QCloseEvent* event) {
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

bool MainWindow::EndRunForClose() {
    if (!close_requested_) return false;
    close_requested_ = false;
    ResetProgress();
    SetIdleState();
    close();
    return true;
}

}  // namespace nuthumb
