#pragma once
// The one way a settings file's bytes are read: checked, whole and capped.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nuthumb {

// As for a batch file: every key and a long batch list fit many times over, and a
// huge file given by mistake costs neither all memory nor minutes.
inline constexpr std::size_t kMaxSettingsFileBytes = 64 * 1024 * 1024;

// The file's bytes; nullopt when it is missing and need not exist. Throws IoError
// naming the file and the reason when it must exist, or cannot be read: no
// permission, a folder, a device or FIFO (never opened), a read error, or more
// than kMaxSettingsFileBytes (refused from its size, before it is read).
std::optional<std::vector<std::uint8_t>> ReadSettingsBytes(const std::string& path, bool must_exist);

}  // namespace nuthumb
