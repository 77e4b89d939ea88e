#include "ui/settings_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
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
const char* const kKeepDatesText = N_("元画像の更新日時を引き継ぐ");
const char* const kToSrgbText = N_("ICCプロファイルをsRGBに変換する");
const char* const kPresetText = N_("写真向けにまとめて設定(&P)");
const char* const kPresetTip =
    N_("読込みファイル形式「すべて」、基準「大きい方」、EXIFの向きで回転、面積平均、更新日時の引き継ぎ、"
       "sRGBへの変換をまとめて設定します（コマンドラインの --photos と同じ）。");

// The two controls of the original dialog end at y = 137; the photo group sits
// below them and the dialog grows by its height.
constexpr int kPhotoTop = 146;
constexpr int kPhotoHeight = 184;

}  // namespace

SettingsDialog::SettingsDialog(FilePlace settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      settings_(std::move(settings)) {
    setObjectName("SettingsDialog");
    setWindowTitle(Tr("設定"));
    ApplyWindowFont(this);
    setFixedSize(280, kPhotoTop + kPhotoHeight + 8);
    KeepDialogPlacement(this);

    report_errors_check_ = new QCheckBox(Tr("サムネイル作成エラー時にメッセージを表示"), this);
    report_errors_check_->setObjectName("reportErrorsCheck");
    report_errors_check_->setGeometry(8, 16, 257, 17);

    overwrite_group_ = new RadioGroup(Tr("同一ファイル名が見つかった場合の動作"),
                                        {Tr("上書きしない"), Tr("上書きする"), Tr("確認メッセージを表示")}, 1, this);
    overwrite_group_->setObjectName("overwriteGroup");
    overwrite_group_->setGeometry(8, 48, 265, 89);
    overwrite_group_->SetItemIndex(keys::kRadioGroupSaveMode.fallback);

    BuildPhotoGroup();
    LoadDialogSettings();
}

void SettingsDialog::BuildPhotoGroup() {
    photo_group_ = new QGroupBox(Tr(kPhotoCaption), this);
    photo_group_->setObjectName("photoGroup");
    photo_group_->setGeometry(8, kPhotoTop, 265, kPhotoHeight);

    // The group's check boxes share their column and width.
    const auto check_box = [this](const char* text, const char* name, int top) {
        auto* box = new QCheckBox(Tr(text), photo_group_);
        box->setObjectName(name);
        box->setGeometry(8, top, 249, 17);
        return box;
    };
    auto_orient_check_ = check_box(kAutoOrientText, "autoOrientCheck", 18);

    quality_label_ = new QLabel(Tr(kQualityText), photo_group_);
    quality_label_->setObjectName("qualityLabel");
    quality_label_->setGeometry(8, 42, 120, 17);
    quality_spin_ = new QSpinBox(photo_group_);
    quality_spin_->setObjectName("qualitySpin");
    quality_spin_->setGeometry(136, 40, 64, 21);
    quality_spin_->setRange(keys::kQualityMin, keys::kQualityMax);
    quality_spin_->setValue(keys::kQuality.fallback);
    quality_spin_->setAccessibleName(Tr(kQualityText));
    quality_label_->setBuddy(quality_spin_);

    filter_group_ = new RadioGroup(Tr(kFilterCaption), {Tr(kFilterNearest), Tr(kFilterArea)}, 2, photo_group_);
    filter_group_->setObjectName("filterGroup");
    filter_group_->setGeometry(8, 66, 249, 33);
    filter_group_->setAccessibleName(Tr(kFilterCaption));
    filter_group_->SetItemIndex(keys::kFilter.fallback);

    keep_dates_check_ = check_box(kKeepDatesText, "keepDatesCheck", 106);
    to_srgb_check_ = check_box(kToSrgbText, "toSrgbCheck", 130);

    // Everything a photo library wants in one step, also by Alt+P. Never the
    // dialog's default button: Enter must not change settings.
    photo_preset_button_ = new QPushButton(Tr(kPresetText), photo_group_);
    photo_preset_button_->setObjectName("photoPresetButton");
    photo_preset_button_->setGeometry(8, 154, 249, 23);
    photo_preset_button_->setAutoDefault(false);
    photo_preset_button_->setToolTip(Tr(kPresetTip));
    // Spoken without its access key: "写真向けにまとめて設定", "Set Everything for Photos".
    photo_preset_button_->setAccessibleName(
        QString(Tr(kPresetText)).remove(QRegularExpression("\\(&.\\)$")).remove('&'));
    photo_preset_button_->setAccessibleDescription(Tr(kPresetTip));
    connect(photo_preset_button_, &QPushButton::clicked, this, &SettingsDialog::OnPhotoPresetClicked);

    // Tab runs through the original two controls first, then the group in order.
    setTabOrder(overwrite_group_, auto_orient_check_);
    setTabOrder(auto_orient_check_, quality_spin_);
    setTabOrder(quality_spin_, filter_group_);
    setTabOrder(filter_group_, keep_dates_check_);
    setTabOrder(keep_dates_check_, to_srgb_check_);
    setTabOrder(to_srgb_check_, photo_preset_button_);
}

void SettingsDialog::OnPhotoPresetClicked() {
    auto_orient_check_->setChecked(kPhotoPreset.auto_orient);
    filter_group_->SetItemIndex(ItemOfFilter(kPhotoPreset.filter));
    keep_dates_check_->setChecked(kPhotoPreset.keep_dates);
    to_srgb_check_->setChecked(kPhotoPreset.to_srgb);
    emit PhotoPresetChosen();
}

SettingsDialog::~SettingsDialog() {
    RunGuarded(nullptr, [this] {
        SaveDialogSettings();
        emit PhotoOptionsAtExit(PhotoOptionsOfControls());
    });
}

bool SettingsDialog::ReportLoadErrors() const { return report_errors_check_->isChecked(); }

OverwriteMode SettingsDialog::LiveOverwriteMode() const { return OverwriteModeOfItem(overwrite_group_->ItemIndex()); }

PhotoOptions SettingsDialog::PhotoOptionsOfControls() const {
    PhotoOptions options;
    options.auto_orient = auto_orient_check_->isChecked();
    options.quality = SoundQuality(quality_spin_->value());
    options.filter = FilterOfItem(filter_group_->ItemIndex());
    options.keep_dates = keep_dates_check_->isChecked();
    options.to_srgb = to_srgb_check_->isChecked();
    options.previews = previews_;
    return options;
}

void SettingsDialog::LoadDialogSettings() {
    const SettingsFile file(settings_.Path());
    const DialogSettings s = nuthumb::LoadDialogSettings(file);
    report_errors_check_->setChecked(s.error_opt != 0);
    overwrite_group_->SetItemIndex(s.save_mode);
    const PhotoOptions photo = LoadPhotoSettings(file);
    auto_orient_check_->setChecked(photo.auto_orient);
    quality_spin_->setValue(photo.quality);
    filter_group_->SetItemIndex(ItemOfFilter(photo.filter));
    keep_dates_check_->setChecked(photo.keep_dates);
    to_srgb_check_->setChecked(photo.to_srgb);
    previews_ = photo.previews;
}

void SettingsDialog::SaveDialogSettings() {
    DialogSettings s;
    s.error_opt = report_errors_check_->isChecked() ? 1 : 0;
    s.save_mode = overwrite_group_->ItemIndex();
    nuthumb::SaveDialogSettings(settings_.Path(), s);
}

}  // namespace nuthumb
