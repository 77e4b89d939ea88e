#pragma once
// The settings dialog: the two options the engine reads while it works. The
// controls are the only place the options live; there is no OK button, a change
// is in force at once, even in the middle of a run.
#include <QDialog>

#include "run/overwrite_mode.h"
#include "ui/program_files.h"

class QCheckBox;

namespace nuthumb {

class RadioGroup;

class TFormSetting : public QDialog {
    Q_OBJECT
public:
    // Loads the two options from the settings file; the destructor stores them.
    explicit TFormSetting(FilePlace settings, QWidget* parent = nullptr);
    ~TFormSetting() override;

    // The live options, read from the controls at the moment of each decision.
    bool ReportLoadErrors() const;
    OverwriteMode LiveOverwriteMode() const;

private:
    void FormCreate();
    void FormDestroy();
    void LoadDialogSettings();
    void SaveDialogSettings();

    FilePlace settings_;
    QCheckBox* CheckBoxThumbError;
    RadioGroup* RadioGroupSaveMode;
};

}  // namespace nuthumb
