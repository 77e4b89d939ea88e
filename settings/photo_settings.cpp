#include "settings/photo_settings.h"

#include "settings/option_values.h"
#include "settings/settings_file.h"
#include "settings/settings_table.h"

namespace nuthumb {

PhotoOptions LoadPhotoSettings(const std::string& ini_path) {
    const SettingsFile file(ini_path);
    PhotoOptions options;
    options.auto_orient = file.ReadBool(keys::kSystem, keys::kAutoOrient.name, keys::kAutoOrient.fallback != 0);
    options.quality = SoundQuality(file.ReadInteger(keys::kSystem, keys::kQuality.name, keys::kQuality.fallback));
    options.filter = FilterOfItem(file.ReadInteger(keys::kSystem, keys::kFilter.name, keys::kFilter.fallback));
    return options;
}

void SavePhotoSettings(const std::string& ini_path, const PhotoOptions& options) {
    SettingsFile file(ini_path);
    try {
        file.WriteBool(keys::kSystem, keys::kAutoOrient.name, options.auto_orient);
        file.WriteInteger(keys::kSystem, keys::kQuality.name, options.quality);
        file.WriteInteger(keys::kSystem, keys::kFilter.name, ItemOfFilter(options.filter));
    } catch (const SettingsWriteError&) {
        // Saved at exit with nobody to tell, like the dialog's other keys.
    }
}

}  // namespace nuthumb
