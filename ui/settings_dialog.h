#pragma once
// The settings dialog: the two options the engine reads while it works, and the
// photo group that every run takes when it starts. The controls are the only
// place the options live; there is no OK button, a change is in force at once
// (the photo group's from the next run on), even in the middle of a run.
#include <QDialog>

#include "image/conversion.h"
#include "run/overwrite_mode.h"
#include "ui/program_files.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace nuthumb {

class RadioGroup;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Loads the options from the settings file; the destructor stores the two
    // live ones and hands the photo group's on (PhotoOptionsAtExit).
    explicit SettingsDialog(FilePlace settings, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // The live options, read from the controls at the moment of each decision.
    bool ReportLoadErrors() const;
    OverwriteMode LiveOverwriteMode() const;
    // The photo group, read when a run starts.
    PhotoOptions PhotoOptionsOfControls() const;

signals:
    // Sent while the dialog is destroyed at exit: the main window stores these
    // after its older keys, so they follow every older key in the file.
    void PhotoOptionsAtExit(nuthumb::PhotoOptions options);
    // The preset button was pressed: the group's controls show the photo preset
    // (kPhotoPreset), and the main window sets its own part (format and basis).
    void PhotoPresetChosen();

private:
    void BuildPhotoGroup();
    void OnPhotoPresetClicked();
    void LoadDialogSettings();
    void SaveDialogSettings();

    FilePlace settings_;
    QCheckBox* report_errors_check_;
    RadioGroup* overwrite_group_;
    QGroupBox* photo_group_;
    QCheckBox* auto_orient_check_;
    QLabel* quality_label_;
    QSpinBox* quality_spin_;
    RadioGroup* filter_group_;
    QCheckBox* keep_dates_check_;
    QCheckBox* to_srgb_check_;
    QPushButton* photo_preset_button_;
    // The photo option without a control: kept as read, given to every run and
    // stored back at exit.
    PreviewUse previews_ = PreviewUse::kAuto;
};

}  // namespace nuthumb
