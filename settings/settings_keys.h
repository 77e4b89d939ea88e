#pragma once
// Every name under which a setting is stored, in one place. The texts are the
// ones the settings file has always used; changing one orphans stored values.
#include <string_view>

namespace nuthumb::keys {

inline constexpr std::string_view kSystem = "SYSTEM";

inline constexpr std::string_view kLeft = "LEFT";
inline constexpr std::string_view kTop = "TOP";

inline constexpr std::string_view kSrcDir = "SrcDir";
inline constexpr std::string_view kDstDir = "DstDir";
inline constexpr std::string_view kFileHead = "FileHead";
inline constexpr std::string_view kFileEnd = "FileEnd";
inline constexpr std::string_view kSize = "Size";
inline constexpr std::string_view kOption = "Option";
inline constexpr std::string_view kReadFileMode = "ReadFileMode";
inline constexpr std::string_view kSaveFileMode = "SaveFileMode";
inline constexpr std::string_view kNoThumb = "NOThumb";
inline constexpr std::string_view kBatch = "Batch";

// The batch list: Script1, Script2, ...
inline constexpr std::string_view kScriptPrefix = "Script";

inline constexpr std::string_view kErrorOpt = "ErrorOpt";
inline constexpr std::string_view kRadioGroupSaveMode = "RadioGroupSaveMode";

}  // namespace nuthumb::keys
