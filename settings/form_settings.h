#pragma once
// The main window's individual-tab settings and the batch toggle, as the window's
// controls hold them.
#include <cstdint>
#include <string>

namespace nuthumb {

struct FormSettings {
    std::string src_dir, dst_dir, file_head, file_end;
    std::int32_t size = 50;            // 30..640 after loading
    std::int32_t option = 0;           // scaling basis item, -1..2
    std::int32_t read_file_mode = 1;   // source format item, -1..1
    std::int32_t save_file_mode = 1;   // target format item, -1..1
    bool no_thumb = false;
    bool batch = false;
};

// Reads the ten keys with the controls' rules applied: the size's low 16 bits as
// a signed number brought into 30..640; a radio item below -1 gives -1 (nothing
// selected), above the last item the last; any nonzero "Batch" turns it on.
FormSettings LoadFormSettings(const std::string& ini_path);

// Writes the ten keys in their fixed order; stops silently at the first write
// that fails, keeping the keys written before it. "Batch" is written as 1 or 0.
void SaveFormSettings(const std::string& ini_path, const FormSettings& settings);

}  // namespace nuthumb
