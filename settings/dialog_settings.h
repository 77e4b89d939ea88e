#pragma once
// The settings dialog's two options.
#include <cstdint>
#include <string>

#include "settings/settings_file.h"

namespace nuthumb {

struct DialogSettings {
    // Low 8 bits of "ErrorOpt"; nonzero: report load errors.
    std::uint8_t error_opt = static_cast<std::uint8_t>(keys::kErrorOpt.fallback);
    // OverwriteMode item, -1..2 (OverwriteModeOfItem gives the mode).
    std::int32_t save_mode = keys::kRadioGroupSaveMode.fallback;
};

// "ErrorOpt" (its low 8 bits) then "RadioGroupSaveMode" (clamped to -1..2).
DialogSettings LoadDialogSettings(const SettingsFile& file);

// "ErrorOpt" as 1 or 0, then "RadioGroupSaveMode"; stops silently at the first
// write that fails.
void SaveDialogSettings(const std::string& ini_path, const DialogSettings& settings);

}  // namespace nuthumb
