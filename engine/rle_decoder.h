#pragma once
// Expansion of run-length-compressed BMP pixel data (RLE8 and RLE4).
#include <cstdint>
#include <span>
#include <vector>

#include "engine/image.h"

namespace nuthumb {

// Decodes `stream` (the pixel data of an RLE8 file when `bits_per_index` is 8, of
// an RLE4 file when it is 4) into `target`, a zeroed bottom-up 32-bit image
// (bytes B, G, R, 0) of the file's size, looking colours up in `palette`.
// Pixels the stream never reaches (skipped by a delta, or after an early end of
// the stream) stay zero. Throws LoadError for a run or delta that leaves its row
// or the image, and for an index beyond the palette.
void ExpandRunLengthPixels(std::span<const std::uint8_t> stream, int bits_per_index,
                           const std::vector<PaletteEntry>& palette, Image& target);

}  // namespace nuthumb
