#pragma once
// The settings dialog's photo group: how every run treats photos. The window and
// the command line read the same keys.
#include <string>

#include "image/conversion.h"
#include "settings/settings_file.h"

namespace nuthumb {

// "AutoOrient" (flag), "Quality" (1..100; anything else the default), "Filter"
// (item 1 area, anything else nearest neighbour), "KeepDates" and "ToSRGB"
// (flags), "Previews" (item 1 never, anything else auto).
PhotoOptions LoadPhotoSettings(const SettingsFile& file);

// The four keys in that order, the flags as 1 or 0 and "Filter" as its item;
// stops silently at the first write that fails. "ToSRGB" and "Previews" are not
// among them: see SaveNewerPhotoKeys.
void SavePhotoSettings(const std::string& ini_path, const PhotoOptions& options);

// Writes "ToSRGB" as 1 or 0, then "Previews" as its item, silently. They are
// newer than "Recursive", so the exit stores them after that key, in the order
// they came: older keys keep the order earlier versions wrote.
void SaveNewerPhotoKeys(const std::string& ini_path, const PhotoOptions& options);

}  // namespace nuthumb
