#include "settings/dialog_settings.h"

namespace nuthumb {

DialogSettings LoadDialogSettings(const SettingsFile& file) {
    return {static_cast<std::uint8_t>(file.Read(keys::kErrorOpt)), file.Read(keys::kRadioGroupSaveMode)};
}

void SaveDialogSettings(const std::string& ini_path, const DialogSettings& s) {
    SettingsFile file(ini_path);
    try {
        file.Write(keys::kErrorOpt, s.error_opt != 0 ? 1 : 0);
        file.Write(keys::kRadioGroupSaveMode, s.save_mode);
    } catch (const SettingsWriteError&) {
        // Saved at exit with nobody to tell; "ErrorOpt" stays if it was written.
    }
}

}  // namespace nuthumb
