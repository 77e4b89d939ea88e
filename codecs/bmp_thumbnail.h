#pragma once
// A BMP source scaled while it is read, as JPEG sources are: only the rows the
// thumbnail picks are read and expanded, so a small file that declares a huge
// image costs no more than its thumbnail.
#include <cstdint>

#include "codecs/bmp_header.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "pixels/scale_window.h"
#include "platform/byte_source.h"

namespace nuthumb {

// After ReadBmpHeader: exactly what StretchToThumbnail(LoadBitmap(file), width,
// height) gives, and the same LoadError for every file LoadBitmap refuses. Rows
// missing from the file are zero. A run-length stream is still walked to its end
// (a bad run anywhere refuses the file), but only picked rows are kept.
// Throws LoadError or DecodeCancelled.
// With a `window`, that window of the stretch onto its scaled size.
Image DecodeBitmapThumbnail(const ByteSource& file, const BmpHeader& header, std::int32_t width,
                            std::int32_t height, const DecodeOptions& options, const ScaleWindow& window = {});

// The same with the area filter (BoxFilter) instead of the stretch: every row is
// read, one at a time, and expanded to B,G,R (a 1-bit source too). Refuses what
// DecodeBitmapThumbnail refuses.
Image DecodeBitmapArea(const ByteSource& file, const BmpHeader& header, std::int32_t width, std::int32_t height,
                       const DecodeOptions& options, const ScaleWindow& window = {});

}  // namespace nuthumb
