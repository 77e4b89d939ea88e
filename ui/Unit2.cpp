#include "ui/Unit2.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>

#include "settings/dialog_settings.h"
#include "settings/option_values.h"
#include "settings/photo_settings.h"
#include "settings/settings_table.h"
#include "ui/handler_guard.h"
#include "ui/placeable_widget.h"
#include "ui/radio_group.h"
#include "ui/window_font.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// The photo group's texts, all in one place.
const char* const kPhotoCaption = N_("写真");
const char* const kAutoOrientText = N_("EXIFの向き情報に従って回転する");
const char* const kQualityText = N_("JPEG画質（1～100）");
const char* const kFilterCaption = N_("縮小方法");
const char* const kFilterNearest = N_("最近傍（従来）");
const char* const kFilterArea = N_("面積平均");

// The two controls of the original dialog end at y = 137; the photo group sits
// below them and the dialog grows by its height.
constexpr int kPhotoTop = 146;
constexpr int kPhotoHeight = 106;

}  // namespace

TFormSetting::TFormSetting(FilePlace settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      settings_(std::move(settings)) {
    setObjectName("FormSetting");
    setWindowTitle(Tr("設定"));
    ApplyWindowFont(this);
    setFixedSize(280, kPhotoTop + kPhotoHeight + 8);
    KeepDialogPlacement(this);

    CheckBoxThumbError = new QCheckBox(Tr("サムネイル作成エラー時にメッセージを表示"), this);
    CheckBoxThumbError->setObjectName("CheckBoxThumbError");
    CheckBoxThumbError->setGeometry(8, 16, 257, 17);

    RadioGroupSaveMode = new RadioGroup(Tr("同一ファイル名が見つかった場合の動作"),
                                        {Tr("上書きしない"), Tr("上書きする"), Tr("確認メッセージを表示")}, 1, this);
    RadioGroupSaveMode->setObjectName("RadioGroupSaveMode");
    RadioGroupSaveMode->setGeometry(8, 48, 265, 89);
    RadioGroupSaveMode->SetItemIndex(keys::kRadioGroupSaveMode.fallback);

    BuildPhotoGroup();
    FormCreate();
}

void TFormSetting::BuildPhotoGroup() {
    GroupBoxPhoto = new QGroupBox(Tr(kPhotoCaption), this);
    GroupBoxPhoto->setObjectName("GroupBoxPhoto");
    GroupBoxPhoto->setGeometry(8, kPhotoTop, 265, kPhotoHeight);

    CheckBoxAutoOrient = new QCheckBox(Tr(kAutoOrientText), GroupBoxPhoto);
    CheckBoxAutoOrient->setObjectName("CheckBoxAutoOrient");
    CheckBoxAutoOrient->setGeometry(8, 18, 249, 17);

    LabelQuality = new QLabel(Tr(kQualityText), GroupBoxPhoto);
    LabelQuality->setObjectName("LabelQuality");
    LabelQuality->setGeometry(8, 42, 120, 17);
    SpinEditQuality = new QSpinBox(GroupBoxPhoto);
    SpinEditQuality->setObjectName("SpinEditQuality");
    SpinEditQuality->setGeometry(136, 40, 64, 21);
    SpinEditQuality->setRange(keys::kQualityMin, keys::kQualityMax);
    SpinEditQuality->setValue(keys::kQuality.fallback);
    SpinEditQuality->setAccessibleName(Tr(kQualityText));
    LabelQuality->setBuddy(SpinEditQuality);

    RadioGroupFilter = new RadioGroup(Tr(kFilterCaption), {Tr(kFilterNearest), Tr(kFilterArea)}, 2, GroupBoxPhoto);
    RadioGroupFilter->setObjectName("RadioGroupFilter");
    RadioGroupFilter->setGeometry(8, 66, 249, 33);
    RadioGroupFilter->setAccessibleName(Tr(kFilterCaption));
    RadioGroupFilter->SetItemIndex(keys::kFilter.fallback);

    // Tab runs through the original two controls first, then the group in order.
    setTabOrder(RadioGroupSaveMode, CheckBoxAutoOrient);
    setTabOrder(CheckBoxAutoOrient, SpinEditQuality);
    setTabOrder(SpinEditQuality, RadioGroupFilter);
}

TFormSetting::~TFormSetting() {
    RunGuarded(nullptr, [this] { FormDestroy(); });
}

bool TFormSetting::ReportLoadErrors() const { return CheckBoxThumbError->isChecked(); }

OverwriteMode TFormSetting::LiveOverwriteMode() const { return OverwriteModeOfItem(RadioGroupSaveMode->ItemIndex()); }

PhotoOptions TFormSetting::PhotoOptionsOfControls() const {
    PhotoOptions options;
    options.auto_orient = CheckBoxAutoOrient->isChecked();
    options.quality = SoundQuality(SpinEditQuality->value());
    options.filter = FilterOfItem(RadioGroupFilter->ItemIndex());
    return options;
}

void TFormSetting::FormCreate() { LoadDialogSettings(); }

void TFormSetting::FormDestroy() {
    SaveDialogSettings();
    emit PhotoOptionsAtExit(PhotoOptionsOfControls());
}

void TFormSetting::LoadDialogSettings() {
    const DialogSettings s = nuthumb::LoadDialogSettings(settings_.Path());
    CheckBoxThumbError->setChecked(s.error_opt != 0);
    RadioGroupSaveMode->SetItemIndex(s.save_mode);
    const PhotoOptions photo = LoadPhotoSettings(settings_.Path());
    CheckBoxAutoOrient->setChecked(photo.auto_orient);
    SpinEditQuality->setValue(photo.quality);
    RadioGroupFilter->SetItemIndex(ItemOfFilter(photo.filter));
}

void TFormSetting::SaveDialogSettings() {
    DialogSettings s;
    s.error_opt = CheckBoxThumbError->isChecked() ? 1 : 0;
    s.save_mode = RadioGroupSaveMode->ItemIndex();
    nuthumb::SaveDialogSettings(settings_.Path(), s);
}

}  // namespace nuthumb
