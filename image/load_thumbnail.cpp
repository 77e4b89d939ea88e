#include "image/load_thumbnail.h"

#include "image/bmp_header.h"
#include "image/bmp_reader.h"
#include "image/bmp_thumbnail.h"
#include "image/decode_plan.h"
#include "image/geometry.h"
#include "codecs/heif_reader.h"
#include "pixels/load_error.h"
#include "image/orientation.h"
#include "codecs/png_reader.h"
#include "codecs/webp_reader.h"

namespace nuthumb {
namespace {

ThumbnailSize SoundSize(std::int32_t width, std::int32_t height, std::int32_t size, EffectiveBasis basis) {
    const auto scaled = ScaledSize(width, height, size, basis);
    if (!scaled) throw LoadError("no sound thumbnail size");
    return *scaled;
}

// The thumbnail of the image as shown: the size and basis apply to the turned
// image, the thumbnail is made in the stored image's orientation (the picks seen
// from the side the turn puts first, or the area filter, which commutes with
// turning) and turned at the end, so only an unscaled copy is turned whole.
Image JpegThumbnail(JpegCodec& codec, const Conversion& conversion, const DecodeOptions& options) {
    const Orientation orientation = codec.orientation();
    const OrientationSteps steps = StepsOf(orientation);
    const std::int32_t shown_width = steps.swap ? codec.height() : codec.width();
    const std::int32_t shown_height = steps.swap ? codec.width() : codec.height();
    const EffectiveBasis effective = EffectiveBasisOf(conversion.resize, conversion.basis, shown_width, shown_height);
    options.ReserveMemory(codec.WorkingMemory(effective == EffectiveBasis::kCopy));
    Image thumbnail;
    if (effective == EffectiveBasis::kCopy) {
        thumbnail = codec.DecodeImage();
    } else {
        const ThumbnailSize shown = SoundSize(shown_width, shown_height, conversion.size, effective);
        const std::int32_t width = steps.swap ? shown.height : shown.width;
        const std::int32_t height = steps.swap ? shown.width : shown.height;
        if (conversion.photo.filter == ScaleFilter::kArea) {
            thumbnail = codec.DecodeArea(width, height);
        } else {
            thumbnail = codec.DecodeSampled(PickMap(codec.width(), width, steps.flip_x),
                                            PickMap(codec.height(), height, steps.flip_y));
            // Converting the picked pixels is converting before picking.
            if (codec.colour()) codec.colour()->Convert(thumbnail);
        }
    }
    if (effective == EffectiveBasis::kCopy && codec.colour()) codec.colour()->Convert(thumbnail);
    return orientation == 1 ? std::move(thumbnail) : OrientImage(thumbnail, orientation);
}

Image LoadJpeg(JpegCodec& codec, const ByteSource& source, const Conversion& conversion,
               const DecodeOptions& options) {
    // The decoder reads from `source`, which the caller owns: it must not outlive
    // this call, whatever happens.
    try {
        codec.ReadHeader(source, options, conversion.photo.auto_orient, conversion.photo.to_srgb);
        Image thumbnail = JpegThumbnail(codec, conversion, options);
        codec.ReleaseSource();
        return thumbnail;
    } catch (...) {
        codec.ReleaseSource();
        throw;
    }
}

// An unscaled copy holds the whole image decoded (a run-length one expanded to
// 32 bits, with the file bytes it keeps) and once more in the target's form: a
// BMP file of the same rows, the kept bytes taken over as they are, or JPEG data
// of at most 3 bytes a pixel (4:2:0) beside the encoder's rows.
std::uint64_t BitmapCopyMemory(const BmpHeader& h, std::uint64_t file_size, ImageFormat target) {
    constexpr std::uint64_t kLargestBmpHeaders = 14 + 124 + 12 + 256 * 4;
    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    const std::uint64_t pixels = width * static_cast<std::uint64_t>(h.height);
    const bool run_length = h.compression == kCompressionRle8 || h.compression == kCompressionRle4;
    const std::uint64_t stored = ImageFormatOf(h).stride() * static_cast<std::uint64_t>(h.height);
    const std::uint64_t decoded = run_length ? pixels * 4 + MaxKeptFileBytes(h, file_size) : stored;
    if (target == ImageFormat::kBmp) return decoded + (run_length ? 0 : kLargestBmpHeaders + stored);
    return decoded + pixels * 3 + width * 4 * 16;
}

Image LoadBitmapSource(const ByteSource& source, const Conversion& conversion, const DecodeOptions& options) {
    // A zero-byte file loads as an empty image, which has no form to write,
    // whatever the target.
    if (source.size() == 0) throw LoadError("empty image");
    const BmpHeader header = ReadBmpHeader(source, kMaxPixels);
    const EffectiveBasis effective = EffectiveBasisOf(conversion.resize, conversion.basis, header.width, header.height);
    // A thumbnail keeps only its own rows and one source row.
    const std::uint64_t width = static_cast<std::uint64_t>(header.width);
    if (effective == EffectiveBasis::kCopy) {
        options.ReserveMemory(BitmapCopyMemory(header, source.size(), conversion.target_format));
        return LoadBitmap(source, header, options);
    }
    const ThumbnailSize scaled = SoundSize(header.width, header.height, conversion.size, effective);
    options.ReserveMemory(static_cast<std::uint64_t>(scaled.width) * static_cast<std::uint64_t>(scaled.height) * 4 +
                          width * 4);
    if (conversion.photo.filter == ScaleFilter::kArea)
        return DecodeBitmapArea(source, header, scaled.width, scaled.height, options);
    return DecodeBitmapThumbnail(source, header, scaled.width, scaled.height, options);
}

}  // namespace

Image LoadThumbnail(JpegCodec& codec, const ByteSource& source, ImageFormat source_format,
                    const Conversion& conversion, const DecodeOptions& options) {
    switch (source_format) {
        case ImageFormat::kJpeg: return LoadJpeg(codec, source, conversion, options);
        case ImageFormat::kPng: return LoadPng(source, PlanOfConversion(conversion), options);
        case ImageFormat::kWebp: return LoadWebp(source, PlanOfConversion(conversion), options);
        case ImageFormat::kHeic: return LoadHeif(source, "HEIC", PlanOfConversion(conversion), options);
        case ImageFormat::kAvif: return LoadHeif(source, "AVIF", PlanOfConversion(conversion), options);
        case ImageFormat::kBmp: break;
    }
    return LoadBitmapSource(source, conversion, options);
}

}  // namespace nuthumb
