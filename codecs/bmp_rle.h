#pragma once
// Expansion of run-length-compressed BMP pixel data (RLE8 and RLE4).
#include <cstdint>
#include <vector>

#include "codecs/chunk_reader.h"
#include "pixels/image.h"
#include "pixels/source_damage.h"

namespace nuthumb {

// Takes the expanded rows of a run-length image, bottom row first, as the file
// stores them.
class RleRowSink {
public:
    virtual ~RleRowSink() = default;
    // Where the pixels of stored row y (0 = bottom) go, 4 bytes each (B, G, R, 0),
    // zeroed beforehand; null when nothing needs that row, whose pixels are then
    // only checked. Asked for in rising order of y, each row at most once.
    virtual std::uint8_t* Row(std::int32_t y) = 0;
};

// How a stream ended: `end` is where its data ends in the file (after the
// end-of-bitmap mark, or where the image was complete); `damage` is kTruncated
// when the data ran out before the image was complete without that mark.
struct RunLengthStop {
    std::uint64_t end = 0;
    SourceDamage damage = SourceDamage::kNone;
};

// The most bytes a stream of a width x height image can use without a code that
// moves nothing (each code advances by at least one pixel or row per 4 bytes).
std::uint64_t MaxRunLengthBytes(std::int32_t width, std::int32_t height);

// Decodes the stream (RLE8 when `bits_per_index` is 8, RLE4 when it is 4) of a
// width x height image, looking colours up in `palette`. Pixels the stream never
// reaches (skipped by a delta, or after an early end of the stream) stay zero.
// Reading stops once the last row is done, so whatever follows costs nothing.
// Throws LoadError for a run or delta that leaves its row or the image, for an
// index beyond the palette, in any row, needed or not, and for a stream longer
// than MaxRunLengthBytes.
RunLengthStop ExpandRunLength(ChunkReader& stream, int bits_per_index, const std::vector<PaletteEntry>& palette,
                              std::int32_t width, std::int32_t height, RleRowSink& sink);

// The same into `target`, a zeroed bottom-up 32-bit image of the file's size.
RunLengthStop ExpandRunLengthPixels(ChunkReader& stream, int bits_per_index,
                                    const std::vector<PaletteEntry>& palette, Image& target);

}  // namespace nuthumb
