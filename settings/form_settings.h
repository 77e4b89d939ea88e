#pragma once
// The main window's individual-tab settings and the batch toggle, as the window's
// controls hold them, and the job they describe.
#include <cstdint>
#include <string>
#include <vector>

#include "run/thumb_job.h"
#include "settings/settings_file.h"

namespace nuthumb {

struct FormSettings {
    std::string src_dir, dst_dir, file_head, file_end;
    std::int32_t size = keys::kSize.fallback;                      // 30..640 after loading
    std::int32_t option = keys::kOption.fallback;                  // scaling basis item, -1..2
    std::int32_t read_file_mode = keys::kReadFileMode.fallback;    // source format item, -1..6
    std::int32_t save_file_mode = keys::kSaveFileMode.fallback;    // target format item, -1..3
    bool no_thumb = keys::kNoThumb.fallback;
    bool batch = keys::kBatch.fallback;
    bool recursive = keys::kRecursive.fallback;  // subfolders too
    bool update = keys::kUpdate.fallback;        // only what is missing or stale
};

// The job of the tab's values, the folder texts as typed (the caller checks them
// and applies the drive-root rule). FormSettings{} gives the default job.
ThumbJob JobOfForm(const FormSettings& settings);

// Reads the twelve keys with the controls' rules applied (settings_table.h).
FormSettings LoadFormSettings(const SettingsFile& file);

// Writes the ten keys in their fixed order; stops silently at the first write
// that fails, keeping the keys written before it. "Batch" is written as 1 or 0.
// A text that cannot be stored (SettingsFile::CanStore) is skipped alone and its
// key returned, so the caller can say which one was lost.
// "Recursive" is not among them: see SaveSubfolderChoice.
std::vector<std::string> SaveFormSettings(const std::string& ini_path, const FormSettings& settings);

// Writes "Recursive" as 1 or 0, silently like the ten keys. It is newer than every
// other key, so the exit stores it apart and last: a file written at a first exit
// then lists the older keys exactly as earlier versions did, the new one after them.
void SaveSubfolderChoice(const std::string& ini_path, const FormSettings& settings);

// Writes "Update" as 1 or 0, silently. Newer than "Previews", so the exit stores
// it after that key.
void SaveUpdateChoice(const std::string& ini_path, const FormSettings& settings);

}  // namespace nuthumb
