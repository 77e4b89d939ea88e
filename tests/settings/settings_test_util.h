#pragma once
// Raw file access for the settings tests: they compare and plant exact bytes.
#include <string>
#include <string_view>

#include "platform/file_io.h"
#include "settings/settings_table.h"

namespace nuthumb::test {

inline std::string FileBytes(const std::string& path) {
    const auto bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void PlantFile(const std::string& path, std::string_view bytes) { WriteFileAtomic(path, bytes); }

// A key of the tests' own in [SYSTEM], with the default a missing key reads as.
inline keys::TextKey TextKey(std::string_view name, std::string_view fallback = "") {
    return {keys::kSystem, name, fallback};
}

// "日本" and "é" in the encodings a settings file may use.
inline constexpr std::string_view kNihonUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC";
inline constexpr std::string_view kNihonCp932 = "\x93\xFA\x96\x7B";
inline constexpr std::string_view kEAcuteUtf8 = "\xC3\xA9";

}  // namespace nuthumb::test
