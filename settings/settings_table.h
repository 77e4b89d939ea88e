#pragma once
// settings/ reads and writes the INI settings file (its encodings, lists, the
// window's place) and turns stored items into typed options (option_values.h).
//
// Every stored setting: the name it is stored under and the value it takes when
// the key is missing or not a number. The window, the batch, the command line and
// its help all take their defaults from here. The names are the ones the settings
// file has always used; changing one orphans stored values.
#include <cstdint>
#include <string_view>

#include "image/conversion.h"

namespace nuthumb::keys {

struct IntegerKey {
    std::string_view name;
    std::int32_t fallback;
};

inline constexpr std::string_view kSystem = "SYSTEM";

// The main window's place; -1: never stored, so the window is centred.
inline constexpr IntegerKey kLeft{"LEFT", -1};
inline constexpr IntegerKey kTop{"TOP", -1};

// The individual tab. Texts default to empty.
inline constexpr std::string_view kSrcDir = "SrcDir";
inline constexpr std::string_view kDstDir = "DstDir";
inline constexpr std::string_view kFileHead = "FileHead";
inline constexpr std::string_view kFileEnd = "FileEnd";
inline constexpr IntegerKey kSize{"Size", 50};
// The sizes the window's spin box holds; a stored size is brought into them.
inline constexpr std::int32_t kSizeMin = 30;
inline constexpr std::int32_t kSizeMax = 640;
inline constexpr IntegerKey kOption{"Option", 0};              // basis item: height
inline constexpr IntegerKey kReadFileMode{"ReadFileMode", 1};  // format item: JPEG
inline constexpr IntegerKey kSaveFileMode{"SaveFileMode", 1};  // format item: JPEG
inline constexpr IntegerKey kNoThumb{"NOThumb", 0};            // scaling on
inline constexpr IntegerKey kBatch{"Batch", 0};                // batch feature off

// The batch list: Script1, Script2, ...
inline constexpr std::string_view kScriptPrefix = "Script";

// The settings dialog: the two live options.
inline constexpr IntegerKey kErrorOpt{"ErrorOpt", 0};                      // no load-error boxes
inline constexpr IntegerKey kRadioGroupSaveMode{"RadioGroupSaveMode", 1};  // overwrite

// The settings dialog's photo group; stored at exit after every other key. The
// defaults make the thumbnails made before the group existed.
inline constexpr IntegerKey kAutoOrient{"AutoOrient", 0};  // EXIF Orientation ignored
inline constexpr IntegerKey kQuality{"Quality", kDefaultJpegQuality};
// A stored quality outside these reads as the default.
inline constexpr std::int32_t kQualityMin = 1;
inline constexpr std::int32_t kQualityMax = 100;
inline constexpr IntegerKey kFilter{"Filter", 0};  // filter item: nearest neighbour

}  // namespace nuthumb::keys
