#pragma once
// What one source becomes: the typed values a conversion takes. Integers and
// texts from the settings file, a batch entry or the command line are turned into
// these once, where they are read, so nothing below compares "bmp" or 2.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace nuthumb {

// Every format is read; BMP, JPEG, PNG and WebP are also written. HEIC stands
// for every HEVC-coded HEIF file, AVIF for the AV1-coded ones.
enum class ImageFormat { kBmp, kJpeg, kPng, kWebp, kHeic, kAvif };

inline constexpr bool IsWritableFormat(ImageFormat format) {
    return format != ImageFormat::kHeic && format != ImageFormat::kAvif;
}

// Every extension (lower case) a source of the format is listed by; the first is
// the one it is written under. Cameras and phones name JPEGs in all four ways,
// and HEIF files in three.
inline constexpr std::array<std::string_view, 1> kBmpExtensions{".bmp"};
inline constexpr std::array<std::string_view, 4> kJpegExtensions{".jpg", ".jpeg", ".jpe", ".jfif"};
inline constexpr std::array<std::string_view, 1> kPngExtensions{".png"};
inline constexpr std::array<std::string_view, 1> kWebpExtensions{".webp"};
inline constexpr std::array<std::string_view, 3> kHeicExtensions{".heic", ".heif", ".hif"};
inline constexpr std::array<std::string_view, 1> kAvifExtensions{".avif"};
inline constexpr std::span<const std::string_view> ExtensionsOfFormat(ImageFormat format) {
    switch (format) {
        case ImageFormat::kBmp: return kBmpExtensions;
        case ImageFormat::kJpeg: return kJpegExtensions;
        case ImageFormat::kPng: return kPngExtensions;
        case ImageFormat::kWebp: return kWebpExtensions;
        case ImageFormat::kHeic: return kHeicExtensions;
        case ImageFormat::kAvif: return kAvifExtensions;
    }
    return kJpegExtensions;
}

// The extension a file of the format is written under.
inline constexpr std::string_view ExtensionOfFormat(ImageFormat format) { return ExtensionsOfFormat(format)[0]; }

// Whether `extension` (with its dot, in any letter case) is one of the format's.
bool NamesFormat(std::string_view extension, ImageFormat format);

// The side that gets the size. kNone is what a stored basis outside the three
// items becomes: it has no sound result, so every scaled file of such a job fails
// as a load failure (a copy does not look at the basis).
enum class Basis { kHeight, kWidth, kLarger, kNone };

// How a scaled thumbnail takes its pixels from the source: one source pixel each,
// or the average of all the source pixels it covers.
enum class ScaleFilter { kNearest, kArea };

inline constexpr std::int32_t kDefaultJpegQuality = 90;

// The options made for photos. The defaults give exactly the thumbnails made
// before they existed.
struct PhotoOptions {
    bool auto_orient = false;  // turn a JPEG upright as its EXIF Orientation says
    std::int32_t quality = kDefaultJpegQuality;  // of a JPEG or WebP target, 1..100
    ScaleFilter filter = ScaleFilter::kNearest;
    bool keep_dates = false;   // the run gives each target its source's modification time
    bool to_srgb = false;  // convert a source's embedded ICC profile to sRGB before scaling
    bool operator==(const PhotoOptions&) const = default;
};

struct Conversion {
    ImageFormat target_format = ImageFormat::kJpeg;
    std::int32_t size = 0;  // any value: one below 1 has no sound result
    Basis basis = Basis::kHeight;
    bool resize = true;     // false: an unscaled copy in the target format
    PhotoOptions photo{};
    bool operator==(const Conversion&) const = default;
};

}  // namespace nuthumb
