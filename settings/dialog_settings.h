#pragma once
// The settings dialog's two options.
#include <cstdint>
#include <string>

namespace nuthumb {

struct DialogSettings {
    std::uint8_t error_opt = 0;   // low 8 bits of "ErrorOpt"; nonzero: report load errors
    std::int32_t save_mode = 1;   // OverwriteMode item, -1..2
};

// "ErrorOpt" (its low 8 bits) then "RadioGroupSaveMode" (clamped to -1..2).
DialogSettings LoadDialogSettings(const std::string& ini_path);

// "ErrorOpt" as 1 or 0, then "RadioGroupSaveMode"; stops silently at the first
// write that fails.
void SaveDialogSettings(const std::string& ini_path, const DialogSettings& settings);

}  // namespace nuthumb
