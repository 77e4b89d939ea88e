#pragma once
// settings/ reads and writes the INI settings file (its encodings, lists, the
// window's place) and turns stored items into typed options (option_values.h).
//
// Every stored setting: its section, the name it is stored under, the value it
// takes when the key is missing or not a number, and the rule that brings a
// stored number into what its control can show. The window, the batch, the
// command line and its help all take their defaults from here. The names are the
// ones the settings file has always used; changing one orphans stored values.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "image/conversion.h"

namespace nuthumb::keys {

inline constexpr std::string_view kSystem = "SYSTEM";

struct TextKey { std::string_view section, name, fallback = ""; };
struct FlagKey { std::string_view section, name; bool fallback; };
// `rule` turns a stored number into what its control holds; the default as well.
constexpr std::int32_t AsStored(std::int32_t v) { return v; }
struct IntegerKey {
    std::string_view section, name;
    std::int32_t fallback;
    std::int32_t (*rule)(std::int32_t) = &AsStored;
};

// A radio group shows -1 (nothing selected) below its items, its last one beyond.
template <std::int32_t kLastItem>
constexpr std::int32_t RadioItem(std::int32_t v) { return std::clamp(v, -1, kLastItem); }

// A format group's item: -1 (nothing selected) below its items, and for a number
// that names none of them (a format only read, in the target group) the JPEG
// one, which is what a number above the two items of the first version showed,
// so a file written by a newer version reads sanely. Defined beside the items
// (option_values.cpp), which come from the codec table.
inline constexpr std::int32_t kJpegItem = 1;
std::int32_t SourceFormatItem(std::int32_t v);
std::int32_t TargetFormatItem(std::int32_t v);

// The sizes the window's spin box holds; it keeps a 16-bit signed position.
inline constexpr std::int32_t kSizeMin = 30;
inline constexpr std::int32_t kSizeMax = 640;
constexpr std::int32_t SpinSize(std::int32_t v) {
    return std::clamp<std::int32_t>(static_cast<std::int16_t>(v & 0xFFFF), kSizeMin, kSizeMax);
}

// A stored quality outside these reads as the default.
inline constexpr std::int32_t kQualityMin = 1;
inline constexpr std::int32_t kQualityMax = 100;
constexpr std::int32_t SoundQuality(std::int32_t v) {
    return v >= kQualityMin && v <= kQualityMax ? v : kDefaultJpegQuality;
}

// A check box that looks only at the low byte: 256 shows unchecked.
constexpr std::int32_t LowByte(std::int32_t v) { return v & 0xFF; }

// The main window's place; -1: never stored, so the window is centred.
inline constexpr IntegerKey kLeft{kSystem, "LEFT", -1};
inline constexpr IntegerKey kTop{kSystem, "TOP", -1};

// The individual tab.
inline constexpr TextKey kSrcDir{kSystem, "SrcDir"};
inline constexpr TextKey kDstDir{kSystem, "DstDir"};
inline constexpr TextKey kFileHead{kSystem, "FileHead"};
inline constexpr TextKey kFileEnd{kSystem, "FileEnd"};
inline constexpr IntegerKey kSize{kSystem, "Size", 50, &SpinSize};
inline constexpr IntegerKey kOption{kSystem, "Option", 0, &RadioItem<2>};              // basis item: height
inline constexpr IntegerKey kReadFileMode{kSystem, "ReadFileMode", 1, &SourceFormatItem};  // format item: JPEG
inline constexpr IntegerKey kSaveFileMode{kSystem, "SaveFileMode", 1, &TargetFormatItem};  // format item: JPEG
inline constexpr FlagKey kNoThumb{kSystem, "NOThumb", false};                          // scaling on
inline constexpr FlagKey kBatch{kSystem, "Batch", false};                              // batch feature off

// The batch list: Script1, Script2, ...
inline constexpr std::string_view kScriptPrefix = "Script";

// The settings dialog: the two live options.
inline constexpr IntegerKey kErrorOpt{kSystem, "ErrorOpt", 0, &LowByte};  // no load-error boxes
inline constexpr IntegerKey kRadioGroupSaveMode{kSystem, "RadioGroupSaveMode", 1, &RadioItem<2>};  // overwrite

// The settings dialog's photo group; stored at exit after every other key. The
// defaults make the thumbnails made before the group existed.
inline constexpr FlagKey kAutoOrient{kSystem, "AutoOrient", false};  // EXIF Orientation ignored
inline constexpr IntegerKey kQuality{kSystem, "Quality", kDefaultJpegQuality, &SoundQuality};
inline constexpr IntegerKey kFilter{kSystem, "Filter", 0};  // filter item: nearest neighbour
inline constexpr FlagKey kKeepDates{kSystem, "KeepDates", false};  // targets dated when made

// Newer than every key above, so stored after them: the individual tab's
// subfolder box (the top folder alone by default).
inline constexpr FlagKey kRecursive{kSystem, "Recursive", false};

// Newer still, stored after "Recursive": the photo group's colour box. Off keeps
// every pixel as the source holds it.
inline constexpr FlagKey kToSrgb{kSystem, "ToSRGB", false};

// Newer still, stored after "ToSRGB": embedded previews, item 0 where they fit
// (auto), 1 never.
inline constexpr IntegerKey kPreviews{kSystem, "Previews", 0};

// Newer still, stored after "Previews": the individual tab's box that makes only
// the thumbnails that are missing or stale (off: every one, as before).
inline constexpr FlagKey kUpdate{kSystem, "Update", false};

}  // namespace nuthumb::keys
