#pragma once
// What one source becomes: the typed values a conversion takes. Integers and
// texts from the settings file, a batch entry or the command line are turned into
// these once, where they are read, so nothing below compares "bmp" or 2.
#include <cstdint>

#include "codecs/image_format.h"

namespace nuthumb {

// The side that gets the size. kNone is what a stored basis outside the three
// items becomes: it has no sound result, so every scaled file of such a job fails
// as a load failure (a copy does not look at the basis).
enum class Basis { kHeight, kWidth, kLarger, kNone };

// How a scaled thumbnail takes its pixels from the source: one source pixel each,
// or the average of all the source pixels it covers.
enum class ScaleFilter { kNearest, kArea };

inline constexpr std::int32_t kDefaultJpegQuality = 90;

// Whether a thumbnail may come from the preview a camera or phone embedded in
// its file (where that preview is a true scaled copy of the picture and large
// enough), or always from the whole picture.
enum class PreviewUse { kAuto, kNever };

// The options made for photos. The defaults give exactly the thumbnails made
// before they existed.
struct PhotoOptions {
    bool auto_orient = false;  // turn a JPEG upright as its EXIF Orientation says
    std::int32_t quality = kDefaultJpegQuality;  // of a JPEG or WebP target, 1..100
    ScaleFilter filter = ScaleFilter::kNearest;
    bool keep_dates = false;   // the run gives each target its source's modification time
    // Colours of a source with an embedded RGB ICC profile are converted into
    // sRGB before scaling; off, pixels are taken as stored.
    bool to_srgb = false;
    PreviewUse previews = PreviewUse::kAuto;
    bool operator==(const PhotoOptions&) const = default;
};

// A box that decides the thumbnail's size instead of the size and basis: the
// whole picture inside it (fit), or the picture covering it, cut to it around
// its centre (fill).
enum class BoxFit { kNone, kFit, kFill };

// The largest size and box side the command line takes (the window and the
// settings file keep 30 to 640).
inline constexpr std::int32_t kMaxBoxSide = 16384;

struct Conversion {
    ImageFormat target_format = ImageFormat::kJpeg;
    std::int32_t size = 0;  // any value: one below 1 has no sound result
    Basis basis = Basis::kHeight;
    bool resize = true;     // false: an unscaled copy in the target format
    PhotoOptions photo{};
    BoxFit box = BoxFit::kNone;
    std::int32_t box_width = 0, box_height = 0;  // 1..kMaxBoxSide
    // A picture smaller than the box is enlarged to it; without, it is written
    // at its own size (a fill then only cut to the box where it is larger).
    bool enlarge = false;
    bool operator==(const Conversion&) const = default;
};

}  // namespace nuthumb
