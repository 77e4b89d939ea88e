#include "settings/form_settings.h"

#include "settings/option_values.h"
#include "settings/settings_file.h"

namespace nuthumb {

FormSettings LoadFormSettings(const SettingsFile& file) {
    // In the order of FormSettings' members.
    return {file.Read(keys::kSrcDir), file.Read(keys::kDstDir), file.Read(keys::kFileHead), file.Read(keys::kFileEnd),
            file.Read(keys::kSize), file.Read(keys::kOption), file.Read(keys::kReadFileMode),
            file.Read(keys::kSaveFileMode), file.Read(keys::kNoThumb), file.Read(keys::kBatch),
            file.Read(keys::kRecursive), file.Read(keys::kUpdate)};
}

ThumbJob JobOfForm(const FormSettings& s) {
    ThumbJob job;
    job.src_dir = s.src_dir;
    job.dst_dir = s.dst_dir;
    job.src_format = SourceOfItem(s.read_file_mode);
    job.prefix = s.file_head;
    job.suffix = s.file_end;
    job.conversion = {TargetFormatOfItem(s.save_file_mode), s.size, BasisOfItem(s.option), !s.no_thumb};
    job.recursive = s.recursive;
    job.update = s.update;
    return job;
}

std::vector<std::string> SaveFormSettings(const std::string& ini_path, const FormSettings& s) {
    SettingsFile file(ini_path);
    std::vector<std::string> refused;
    // A text the file cannot hold is left out on its own; the other keys still go.
    const auto write_text = [&](const keys::TextKey& key, const std::string& value) {
        if (SettingsFile::CanStore(value)) file.Write(key, value);
        else refused.emplace_back(key.name);
    };
    try {
        write_text(keys::kSrcDir, s.src_dir);
        write_text(keys::kDstDir, s.dst_dir);
        write_text(keys::kFileHead, s.file_head);
        write_text(keys::kFileEnd, s.file_end);
        file.Write(keys::kSize, s.size);
        file.Write(keys::kOption, s.option);
        file.Write(keys::kReadFileMode, s.read_file_mode);
        file.Write(keys::kSaveFileMode, s.save_file_mode);
        file.Write(keys::kNoThumb, s.no_thumb);
        file.Write(keys::kBatch, s.batch);
    } catch (const SettingsWriteError&) {
        // The file itself cannot be written (the window position before these
        // keys has already said so); the keys written so far stay.
    }
    return refused;
}

void SaveSubfolderChoice(const std::string& ini_path, const FormSettings& s) {
    try {
        SettingsFile(ini_path).Write(keys::kRecursive, s.recursive);
    } catch (const SettingsWriteError&) {
        // As for the ten keys: the window position has already told the user.
    }
}

void SaveUpdateChoice(const std::string& ini_path, const FormSettings& s) {
    try {
        SettingsFile(ini_path).Write(keys::kUpdate, s.update);
    } catch (const SettingsWriteError&) {
        // As for the ten keys: the window position has already told the user.
    }
}

}  // namespace nuthumb
