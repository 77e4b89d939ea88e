#pragma once
// The settings dialog's photo group: how every run treats photos. The window and
// the command line read the same keys.
#include <string>

#include "image/conversion.h"
#include "settings/settings_file.h"

namespace nuthumb {

// "AutoOrient" (flag), "Quality" (1..100; anything else the default), "Filter"
// (item 1 area, anything else nearest neighbour), "KeepDates" and "ToSRGB" (flags).
PhotoOptions LoadPhotoSettings(const SettingsFile& file);

// The four keys in that order, the flags as 1 or 0 and "Filter" as its item;
// stops silently at the first write that fails. "ToSRGB" is not among them: see
// SaveColourChoice.
void SavePhotoSettings(const std::string& ini_path, const PhotoOptions& options);

// Writes "ToSRGB" as 1 or 0, silently. It is newer than "Recursive", so the exit
// stores it after that key: older keys keep the order earlier versions wrote.
void SaveColourChoice(const std::string& ini_path, const PhotoOptions& options);

}  // namespace nuthumb
