#pragma once
// Which reduced size a JPEG is decoded at for the area filter. libjpeg decodes
// at M/8 of the full size, cheaply, but a reduced inverse DCT is softer than
// the full decode's; the area filter then averages the softness away only when
// it has enough source pixels per thumbnail pixel. Measured on camera photos
// (bench_area_sharpness): the smallest scale that merely had the thumbnail's
// size gave 34 dB against the area reduction of the full decode; leaving a factor
// of two gives at least 38.6 dB (mean 50 dB) at a quarter to two fifths of the
// full decode's time.
#include <array>
#include <cstdint>

namespace nuthumb {

// The scales tried, smallest first: 1/8, 1/4, 1/2 and the full size. libjpeg-turbo
// has fast reduced inverse DCTs for these; its others (3/8, 5/8 ...) were both
// slower and less exact on the photos.
inline constexpr std::array<unsigned, 4> kAreaDctScaleNumerators{1, 2, 4, 8};  // over 8

// Whether a decode of scaled_width x scaled_height leaves the area filter enough
// to average for a width x height thumbnail: at least twice its size both ways.
constexpr bool LeavesEnoughToAverage(std::int64_t scaled_width, std::int64_t scaled_height, std::int32_t width,
                                     std::int32_t height) {
    return scaled_width >= 2 * std::int64_t{width} && scaled_height >= 2 * std::int64_t{height};
}

}  // namespace nuthumb
