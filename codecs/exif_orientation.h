#pragma once
// The EXIF Orientation tag: how a camera says its stored picture must be turned
// to be seen upright. Read from the JPEG's APP1 segment, whose bytes come from the
// file and are trusted in nothing.
#include <cstdint>
#include <span>

#include "pixels/orientation.h"

namespace nuthumb {

// Whether an APP1 payload starts with "Exif\0\0" (other APP1 blocks hold XMP).
bool IsExifPayload(std::span<const std::uint8_t> app1_payload);

// The Orientation of IFD0 in an APP1 segment's payload (the bytes after its
// length field): "Exif\0\0", then a TIFF header in either byte order. Every offset
// and count is checked against the payload's length; a payload that is not Exif,
// is cut short, or holds no Orientation of type SHORT with a value of 1 to 8
// gives 1.
Orientation ExifOrientation(std::span<const std::uint8_t> app1_payload);

}  // namespace nuthumb
