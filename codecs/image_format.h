#pragma once
// The formats the program knows, by the numbers stored files give them.
#include <cstdint>

namespace nuthumb {

// A format, numbered by the item that names it in the settings file, the
// window's groups and batch entries. The numbers never change meaning: stored
// files of every version keep reading as they were written. 6 is taken by
// "every readable format" (kEveryFormatItem); a new format takes the next free
// number from 7 on.
enum class ImageFormat : std::int8_t {
    kBmp = 0,
    kJpeg = 1,
    kPng = 2,
    kWebp = 3,
    kHeic = 4,  // every HEVC-coded HEIF file
    kAvif = 5,  // the AV1-coded ones
    kJxl = 7,
    kRaw = 8,   // camera RAW files, read by LibRaw
};

}  // namespace nuthumb
