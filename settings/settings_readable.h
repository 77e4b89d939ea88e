#pragma once
// The check a job makes before it trusts what a settings file says.
#include <string>

namespace nuthumb {

// Reading a settings file never fails: what cannot be read reads as the defaults,
// which is right for the window at its start but wrong for a job, whose defaults
// may do what the stored settings forbid (overwrite targets the file protects).
// Throws IoError naming the file and the reason when `path` exists but cannot be
// read: no permission, a folder, a device or FIFO, a read error. A missing file
// passes, as the defaults it reads as, unless `must_exist`.
void CheckSettingsReadable(const std::string& path, bool must_exist);

}  // namespace nuthumb
