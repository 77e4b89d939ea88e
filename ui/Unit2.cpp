#include "ui/Unit2.h"

#include <QCheckBox>

#include "settings/dialog_settings.h"
#include "settings/option_values.h"
#include "ui/handler_guard.h"
#include "ui/placeable_widget.h"
#include "ui/radio_group.h"
#include "ui/window_font.h"
#include "platform/translate.h"

namespace nuthumb {

TFormSetting::TFormSetting(FilePlace settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      settings_(std::move(settings)) {
    setObjectName("FormSetting");
    setWindowTitle(Tr("設定"));
    ApplyWindowFont(this);
    setFixedSize(280, 148);
    KeepDialogPlacement(this);

    CheckBoxThumbError = new QCheckBox(Tr("サムネイル作成エラー時にメッセージを表示"), this);
    CheckBoxThumbError->setObjectName("CheckBoxThumbError");
    CheckBoxThumbError->setGeometry(8, 16, 257, 17);

    RadioGroupSaveMode = new RadioGroup(Tr("同一ファイル名が見つかった場合の動作"),
                                        {Tr("上書きしない"), Tr("上書きする"), Tr("確認メッセージを表示")}, 1, this);
    RadioGroupSaveMode->setObjectName("RadioGroupSaveMode");
    RadioGroupSaveMode->setGeometry(8, 48, 265, 89);
    RadioGroupSaveMode->SetItemIndex(keys::kRadioGroupSaveMode.fallback);

    FormCreate();
}

TFormSetting::~TFormSetting() {
    RunGuarded(nullptr, [this] { FormDestroy(); });
}

bool TFormSetting::ReportLoadErrors() const { return CheckBoxThumbError->isChecked(); }

OverwriteMode TFormSetting::LiveOverwriteMode() const { return OverwriteModeOfItem(RadioGroupSaveMode->ItemIndex()); }

void TFormSetting::FormCreate() { LoadDialogSettings(); }

void TFormSetting::FormDestroy() { SaveDialogSettings(); }

void TFormSetting::LoadDialogSettings() {
    const DialogSettings s = nuthumb::LoadDialogSettings(settings_.Path());
    CheckBoxThumbError->setChecked(s.error_opt != 0);
    RadioGroupSaveMode->SetItemIndex(s.save_mode);
}

void TFormSetting::SaveDialogSettings() {
    DialogSettings s;
    s.error_opt = CheckBoxThumbError->isChecked() ? 1 : 0;
    s.save_mode = RadioGroupSaveMode->ItemIndex();
    nuthumb::SaveDialogSettings(settings_.Path(), s);
}

}  // namespace nuthumb
