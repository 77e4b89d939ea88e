#include "settings/form_settings.h"

#include <algorithm>

#include "settings/settings_file.h"
#include "settings/settings_keys.h"

namespace nuthumb {
namespace {

// A radio group shows -1 (nothing selected) for anything below it and its last
// item for anything beyond.
std::int32_t RadioItem(std::int32_t stored, std::int32_t last_item) {
    return std::clamp(stored, -1, last_item);
}

}  // namespace

FormSettings LoadFormSettings(const std::string& ini_path) {
    const SettingsFile file(ini_path);
    FormSettings s;
    s.src_dir = file.ReadString(keys::kSystem, keys::kSrcDir, "");
    s.dst_dir = file.ReadString(keys::kSystem, keys::kDstDir, "");
    s.file_head = file.ReadString(keys::kSystem, keys::kFileHead, "");
    s.file_end = file.ReadString(keys::kSystem, keys::kFileEnd, "");
    // The spin box keeps a 16-bit signed position and holds it within its range.
    const auto position =
        static_cast<std::int16_t>(file.ReadInteger(keys::kSystem, keys::kSize, 50) & 0xFFFF);
    s.size = std::clamp<std::int32_t>(position, 30, 640);
    s.option = RadioItem(file.ReadInteger(keys::kSystem, keys::kOption, 0), 2);
    s.read_file_mode = RadioItem(file.ReadInteger(keys::kSystem, keys::kReadFileMode, 1), 1);
    s.save_file_mode = RadioItem(file.ReadInteger(keys::kSystem, keys::kSaveFileMode, 1), 1);
    s.no_thumb = file.ReadBool(keys::kSystem, keys::kNoThumb, false);
    s.batch = file.ReadInteger(keys::kSystem, keys::kBatch, 0) != 0;
    return s;
}

void SaveFormSettings(const std::string& ini_path, const FormSettings& s) {
    SettingsFile file(ini_path);
    try {
        file.WriteString(keys::kSystem, keys::kSrcDir, s.src_dir);
        file.WriteString(keys::kSystem, keys::kDstDir, s.dst_dir);
        file.WriteString(keys::kSystem, keys::kFileHead, s.file_head);
        file.WriteString(keys::kSystem, keys::kFileEnd, s.file_end);
        file.WriteInteger(keys::kSystem, keys::kSize, s.size);
        file.WriteInteger(keys::kSystem, keys::kOption, s.option);
        file.WriteInteger(keys::kSystem, keys::kReadFileMode, s.read_file_mode);
        file.WriteInteger(keys::kSystem, keys::kSaveFileMode, s.save_file_mode);
        file.WriteBool(keys::kSystem, keys::kNoThumb, s.no_thumb);
        file.WriteInteger(keys::kSystem, keys::kBatch, s.batch ? 1 : 0);
    } catch (const SettingsWriteError&) {
        // Saved at exit with nobody to tell; the keys written so far stay.
    }
}

}  // namespace nuthumb
