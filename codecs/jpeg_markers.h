#pragma once
// The JPEG markers a conversion reads besides the image: the EXIF orientation
// (APP1) and the ICC profile (APP2). Markers come from the file and are trusted
// in nothing: each is kept only as far as it is what it says.
#include <optional>

#include "codecs/jpeg_state.h"
#include "pixels/srgb_conversion.h"
#include "pixels/orientation.h"

namespace nuthumb {

// Before the headers are read: keep the first Exif APP1 segment, stepping over
// every other (XMP, or thousands of padding segments) after a look at its first
// bytes, so the metadata costs at most one segment.
void KeepExifSegment(JpegDecodeState& d);
// After the headers: the Exif orientation, or 1 when there is none.
Orientation OrientationOf(const JpegDecodeState& d);

// Before the headers are read: keep the ICC profile's APP2 segments.
void KeepProfileSegments(JpegDecodeState& d);
// After the headers: the conversion of the file's RGB ICC profile into sRGB,
// when it has one.
std::optional<SrgbConversion> ProfileConversion(JpegDecodeState& d);

}  // namespace nuthumb
