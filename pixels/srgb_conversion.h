#pragma once
// Colours of a source with an embedded ICC profile (Display P3 from phones,
// Adobe RGB from cameras) converted into sRGB with lcms2, before any scaling.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "pixels/image.h"

namespace nuthumb {

class SrgbConversion {
public:
    // The conversion from `icc` (a whole ICC profile) to sRGB, perceptual
    // intent; nothing when lcms2 cannot read the profile or it is not of an RGB
    // space (a gray or CMYK profile is left alone).
    static std::optional<SrgbConversion> FromProfile(std::span<const std::uint8_t> icc);

    // Converts `count` pixels in place: 3 bytes each (B,G,R), or 4 (B,G,R and a
    // fourth byte, alpha or 0, kept as it is).
    void Convert(std::uint8_t* pixels, std::size_t count, int bytes_per_pixel) const;
    // Every row of a plain 24- or 32-bit image; other formats are left alone.
    void Convert(Image& image) const;

private:
    struct Transforms;
    explicit SrgbConversion(std::shared_ptr<const Transforms> transforms) : transforms_(std::move(transforms)) {}
    std::shared_ptr<const Transforms> transforms_;
};

}  // namespace nuthumb
