#include "settings/form_settings.h"

#include <algorithm>

#include "settings/option_values.h"
#include "settings/settings_file.h"
#include "settings/settings_table.h"

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
        static_cast<std::int16_t>(file.ReadInteger(keys::kSystem, keys::kSize.name, keys::kSize.fallback) & 0xFFFF);
    s.size = std::clamp<std::int32_t>(position, keys::kSizeMin, keys::kSizeMax);
    s.option = RadioItem(file.ReadInteger(keys::kSystem, keys::kOption.name, keys::kOption.fallback), 2);
    s.read_file_mode = RadioItem(file.ReadInteger(keys::kSystem, keys::kReadFileMode.name, keys::kReadFileMode.fallback), 1);
    s.save_file_mode = RadioItem(file.ReadInteger(keys::kSystem, keys::kSaveFileMode.name, keys::kSaveFileMode.fallback), 1);
    s.no_thumb = file.ReadBool(keys::kSystem, keys::kNoThumb.name, keys::kNoThumb.fallback != 0);
    s.batch = file.ReadInteger(keys::kSystem, keys::kBatch.name, keys::kBatch.fallback) != 0;
    return s;
}

ThumbJob JobOfForm(const FormSettings& s) {
    ThumbJob job;
    job.src_dir = s.src_dir;
    job.dst_dir = s.dst_dir;
    job.src_format = ImageFormatOfItem(s.read_file_mode);
    job.prefix = s.file_head;
    job.suffix = s.file_end;
    job.conversion = {ImageFormatOfItem(s.save_file_mode), s.size, BasisOfItem(s.option), !s.no_thumb};
    return job;
}

std::vector<std::string> SaveFormSettings(const std::string& ini_path, const FormSettings& s) {
    SettingsFile file(ini_path);
    std::vector<std::string> refused;
    // A text the file cannot hold is left out on its own; the other keys still go.
    const auto write_text = [&](std::string_view key, const std::string& value) {
        if (SettingsFile::CanStore(value)) file.WriteString(keys::kSystem, key, value);
        else refused.emplace_back(key);
    };
    try {
        write_text(keys::kSrcDir, s.src_dir);
        write_text(keys::kDstDir, s.dst_dir);
        write_text(keys::kFileHead, s.file_head);
        write_text(keys::kFileEnd, s.file_end);
        file.WriteInteger(keys::kSystem, keys::kSize.name, s.size);
        file.WriteInteger(keys::kSystem, keys::kOption.name, s.option);
        file.WriteInteger(keys::kSystem, keys::kReadFileMode.name, s.read_file_mode);
        file.WriteInteger(keys::kSystem, keys::kSaveFileMode.name, s.save_file_mode);
        file.WriteBool(keys::kSystem, keys::kNoThumb.name, s.no_thumb);
        file.WriteInteger(keys::kSystem, keys::kBatch.name, s.batch ? 1 : 0);
    } catch (const SettingsWriteError&) {
        // The file itself cannot be written (the window position before these
        // keys has already said so); the keys written so far stay.
    }
    return refused;
}

}  // namespace nuthumb
