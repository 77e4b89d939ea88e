#include "settings/dialog_settings.h"

#include <algorithm>

#include "settings/settings_file.h"
#include "settings/settings_table.h"

namespace nuthumb {

DialogSettings LoadDialogSettings(const std::string& ini_path) {
    const SettingsFile file(ini_path);
    DialogSettings s;
    // The check box looks only at the low byte: 256 shows unchecked.
    s.error_opt = static_cast<std::uint8_t>(file.ReadInteger(keys::kSystem, keys::kErrorOpt.name, keys::kErrorOpt.fallback) & 0xFF);
    s.save_mode = std::clamp(file.ReadInteger(keys::kSystem, keys::kRadioGroupSaveMode.name, keys::kRadioGroupSaveMode.fallback), -1, 2);
    return s;
}

void SaveDialogSettings(const std::string& ini_path, const DialogSettings& s) {
    SettingsFile file(ini_path);
    try {
        file.WriteInteger(keys::kSystem, keys::kErrorOpt.name, s.error_opt != 0 ? 1 : 0);
        file.WriteInteger(keys::kSystem, keys::kRadioGroupSaveMode.name, s.save_mode);
    } catch (const SettingsWriteError&) {
        // Saved at exit with nobody to tell; "ErrorOpt" stays if it was written.
    }
}

}  // namespace nuthumb
