#pragma once
// The nearest-neighbour stretch that makes a thumbnail.
#include <cstdint>
#include <functional>

#include "pixels/image.h"
#include "pixels/scale_window.h"

namespace nuthumb {

// A new 32-bit (B, G, R, 0) bottom-up image of width x height holding `source`
// stretched over its whole area. Destination pixel (dx, dy), counted from the top,
// takes source pixel ((2dx + 1) sw / 2dw, (2dy + 1) sh / 2dh). A 1-bit source
// shrunk along an axis ANDs the palette indices of the whole span of source
// pixels along it, so thin black lines on white survive. A source with alpha
// gives a thumbnail with alpha (B, G, R, A).
// Throws LoadError for an empty source or target, or a target over the pixel
// limit: the caller treats a conversion without a sound result like a load
// failure.
// With a `window`, the thumbnail is that window of the stretch onto the window's
// scaled size.
Image StretchToThumbnail(const Image& source, std::int32_t width, std::int32_t height,
                         const ScaleWindow& window = {});

// A zeroed 32-bit bottom-up thumbnail of width x height. Throws LoadError for an
// empty size or one over the pixel limit.
Image BlankThumbnail(std::int32_t width, std::int32_t height);
// The same checks alone.
void CheckThumbnailSize(std::int32_t width, std::int32_t height);

// Row y (counted from the top) of a source in its stored format; the pointer need
// only stay valid until the next call.
using SourceRows = std::function<const std::uint8_t*(std::int32_t y)>;

// The same stretch from a source whose rows are fetched one at a time, so that
// only the rows it picks are ever read: `format` describes the source (size, bit
// depth, palette, masks) and holds no pixels. Rows are asked for from the top
// down; a 1-bit source shrunk vertically asks for every row.
Image StretchRowsToThumbnail(const Image& format, const SourceRows& source_row, std::int32_t width,
                             std::int32_t height, const ScaleWindow& window = {});

}  // namespace nuthumb
