#include "pixels/srgb_conversion.h"

#include <lcms2.h>

#include <algorithm>

namespace nuthumb {

struct SrgbConversion::Transforms {
    cmsHTRANSFORM three = nullptr;  // B,G,R
    cmsHTRANSFORM four = nullptr;   // B,G,R and a byte copied
    Transforms() = default;
    Transforms(const Transforms&) = delete;
    Transforms& operator=(const Transforms&) = delete;
    ~Transforms() {
        if (three) cmsDeleteTransform(three);
        if (four) cmsDeleteTransform(four);
    }
};

namespace {

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

}  // namespace

std::optional<SrgbConversion> SrgbConversion::FromProfile(std::span<const std::uint8_t> icc) {
    if (icc.empty() || icc.size() > UINT32_MAX) return std::nullopt;
    const Profile source(cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size())));
    if (!source || cmsGetColorSpace(source.get()) != cmsSigRgbData) return std::nullopt;
    const Profile srgb(cmsCreate_sRGBProfile());
    if (!srgb) return std::nullopt;
    auto transforms = std::make_shared<Transforms>();
    transforms->three = cmsCreateTransform(source.get(), TYPE_BGR_8, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    transforms->four = cmsCreateTransform(source.get(), TYPE_BGRA_8, srgb.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL,
                                          cmsFLAGS_COPY_ALPHA);
    if (!transforms->three || !transforms->four) return std::nullopt;
    return SrgbConversion(std::move(transforms));
}

void SrgbConversion::Convert(std::uint8_t* pixels, std::size_t count, int bytes_per_pixel) const {
    cmsHTRANSFORM transform = bytes_per_pixel == 4 ? transforms_->four : transforms_->three;
    // lcms2 takes a 32-bit count: a row at a time stays far below it.
    while (count > 0) {
        const std::size_t n = std::min<std::size_t>(count, 1u << 20);
        cmsDoTransform(transform, pixels, pixels, static_cast<cmsUInt32Number>(n));
        pixels += n * static_cast<std::size_t>(bytes_per_pixel);
        count -= n;
    }
}

void SrgbConversion::Convert(Image& image) const {
    if (image.compression != 0 || (image.bits_per_pixel != 24 && image.bits_per_pixel != 32)) return;
    for (std::int32_t y = 0; y < image.height; ++y)
        Convert(image.row_from_top(y), static_cast<std::size_t>(image.width), image.bits_per_pixel / 8);
}

}  // namespace nuthumb
