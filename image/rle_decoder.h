#pragma once
// Expansion of run-length-compressed BMP pixel data (RLE8 and RLE4).
#include <cstdint>
#include <vector>

#include "image/chunk_reader.h"
#include "image/image.h"

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

// Decodes the stream (RLE8 when `bits_per_index` is 8, RLE4 when it is 4) of a
// width x height image, looking colours up in `palette`. Pixels the stream never
// reaches (skipped by a delta, or after an early end of the stream) stay zero.
// Throws LoadError for a run or delta that leaves its row or the image, and for
// an index beyond the palette, in any row, needed or not.
void ExpandRunLength(ChunkReader& stream, int bits_per_index, const std::vector<PaletteEntry>& palette,
                     std::int32_t width, std::int32_t height, RleRowSink& sink);

// The same into `target`, a zeroed bottom-up 32-bit image of the file's size.
void ExpandRunLengthPixels(ChunkReader& stream, int bits_per_index, const std::vector<PaletteEntry>& palette,
                           Image& target);

}  // namespace nuthumb
