#include "settings/photo_settings.h"

#include "settings/option_values.h"

namespace nuthumb {

PhotoOptions LoadPhotoSettings(const SettingsFile& file) {
    return {file.Read(keys::kAutoOrient), file.Read(keys::kQuality), FilterOfItem(file.Read(keys::kFilter)),
            file.Read(keys::kKeepDates), file.Read(keys::kToSrgb), PreviewsOfItem(file.Read(keys::kPreviews))};
}

void SavePhotoSettings(const std::string& ini_path, const PhotoOptions& options) {
    SettingsFile file(ini_path);
    try {
        file.Write(keys::kAutoOrient, options.auto_orient);
        file.Write(keys::kQuality, options.quality);
        file.Write(keys::kFilter, ItemOfFilter(options.filter));
        file.Write(keys::kKeepDates, options.keep_dates);
    } catch (const SettingsWriteError&) {
        // Saved at exit with nobody to tell, like the dialog's other keys.
    }
}

void SaveNewerPhotoKeys(const std::string& ini_path, const PhotoOptions& options) {
    try {
        SettingsFile file(ini_path);
        file.Write(keys::kToSrgb, options.to_srgb);
        file.Write(keys::kPreviews, ItemOfPreviews(options.previews));
    } catch (const SettingsWriteError&) {
        // As for the group's other keys: nobody to tell at exit.
    }
}

}  // namespace nuthumb
