#include "codecs/raw_reader.h"

#include <libraw/libraw.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string_view>

#include "codecs/bytes_at.h"
#include "codecs/codec_failure.h"
#include "codecs/jpeg_codec.h"
#include "codecs/jpeg_decoder.h"
#include "codecs/preview_fit.h"
#include "codecs/raw_stream.h"
#include "pixels/row_sink.h"

namespace nuthumb {
namespace {

constexpr char kName[] = "RAW";
// What LibRaw's interpolation of a full-size develop holds besides the image:
// its tiles (a few MiB for each of its threads).
constexpr std::uint64_t kInterpolationBytes = std::uint64_t{32} << 20;

// The bytes of a part of another source: where a preview lies in the file.
class SourcePart final : public ByteSource {
public:
    SourcePart(const ByteSource& whole, std::uint64_t offset, std::uint64_t size)
        : whole_(whole), offset_(offset), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        if (offset >= size_) return 0;
        return whole_.ReadAt(offset_ + offset, out.first(static_cast<std::size_t>(
                                                   std::min<std::uint64_t>(out.size(), size_ - offset))));
    }

private:
    const ByteSource& whole_;
    std::uint64_t offset_, size_;
};

struct MemImageFree {
    void operator()(libraw_processed_image_t* image) const { LibRaw::dcraw_clear_mem(image); }
};

// LibRaw's flip (bit 2 swaps the axes, bit 1 flips the rows, bit 0 the
// columns) as the EXIF orientation that shows the picture upright.
Orientation TurnOfFlip(int flip) {
    static constexpr Orientation kTurns[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    return kTurns[flip & 7];
}

// What a LibRaw call's result means: the stream's own reason first (the
// source's IoError, a stop), then the library's.
void Check(int result, const RawStream& stream) {
    if (result == LIBRAW_SUCCESS) return;
    stream.ThrowIfStopped();
    if (result == LIBRAW_CANCELLED_BY_CALLBACK) throw DecodeCancelled();
    if (result == LIBRAW_UNSUFFICIENT_MEMORY) throw std::bad_alloc();
    if (result == LIBRAW_IO_ERROR) throw CutShort(kName);
    throw DamagedData(kName, libraw_strerror(result));
}

// The preview LibRaw found (the largest the file holds), decoded into `plan`'s
// thumbnail, when it is a JPEG that may stand in for the picture: a scaled copy
// (within 1 % or two pixels: cameras cut a few edge pixels of the sensor that
// the develop keeps) at least the thumbnail's size.
std::optional<Image> DecodePreview(LibRaw& raw, const ByteSource& source, const DecodePlan& plan, bool to_srgb,
                                   const DecodeOptions& options) {
    const libraw_thumbnail_t& preview = raw.imgdata.thumbnail;
    const libraw_image_sizes_t& sizes = raw.imgdata.sizes;
    const double slack = std::max(2.0, 0.01 * std::max(preview.twidth, preview.theight));
    if (!PreviewFits(preview.twidth, preview.theight, sizes.width, sizes.height, slack, plan)) return std::nullopt;
    const INT64 offset = raw.get_internal_data_pointer()->internal_data.toffset;
    if (offset <= 0 || static_cast<std::uint64_t>(offset) >= source.size() ||
        preview.tlength > source.size() - static_cast<std::uint64_t>(offset))
        return std::nullopt;
    const SourcePart part(source, static_cast<std::uint64_t>(offset), preview.tlength);
    std::uint8_t head[3] = {};
    if (part.ReadAt(0, head) != sizeof head || !IsJpeg(head)) return std::nullopt;
    std::optional<JpegDecoder> decoder;
    try {
        decoder.emplace(part, options, false, to_srgb);
    } catch (const LoadError&) {
        return std::nullopt;  // a preview that is no sound JPEG: the develop instead
    }
    // The sizes the JPEG itself gives are the ones decoded.
    if (!PreviewFits(decoder->width(), decoder->height(), sizes.width, sizes.height, slack, plan)) return std::nullopt;
    options.ReserveMemory(sizeof(LibRaw) + decoder->WorkingMemory(false));
    return DecodeJpegPlan(*decoder, plan);
}

// About what the develop holds at its peak, from the headers: the unpacked
// sensor data (one 16-bit sample a pixel for a colour mosaic, four otherwise),
// the developed image (four 16-bit samples a pixel) and its 8-bit copy, the
// interpolation's tiles at full size, and the plan's own.
std::uint64_t DevelopMemory(const libraw_data_t& data, bool half, const DecodePlan& plan) {
    const libraw_image_sizes_t& s = data.sizes;
    const std::uint64_t sensor = std::uint64_t{s.raw_width} * s.raw_height * (data.idata.filters ? 2 : 8);
    const std::int32_t width = (s.width + half) >> half, height = (s.height + half) >> half;
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    return sizeof(LibRaw) + sensor + pixels * (8 + 3) + (half ? 0 : kInterpolationBytes) +
           PlanMemory(width, height, false, plan, false);
}

// Into `sink`, the rows of LibRaw's 8-bit image (RGB or gray) as B,G,R.
void CopyRows(const libraw_processed_image_t& image, RowSink& sink) {
    const std::size_t colours = image.colors;
    for (std::int32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* in = image.data + static_cast<std::size_t>(y) * image.width * colours;
        std::uint8_t* out = sink.RowBuffer(y);
        for (std::int32_t x = 0; x < image.width; ++x, in += colours, out += 3) {
            out[0] = in[colours - 1], out[1] = in[colours / 2], out[2] = in[0];
        }
        sink.Add(y);
    }
}

// LibRaw's develop into `plan`'s image: sRGB with its own curve, the camera's
// white balance, stored orientation.
Image Develop(LibRaw& raw, const RawStream& stream, const DecodeRequest& request, DecodePlan plan,
              Orientation turn, const DecodeOptions& options) {
    libraw_output_params_t& params = raw.imgdata.params;
    const libraw_image_sizes_t& sizes = raw.imgdata.sizes;
    const bool half = !plan.whole && raw.imgdata.idata.filters != 0 && plan.width <= sizes.width / 2 &&
                      plan.height <= sizes.height / 2;
    params.half_size = half;
    params.use_camera_wb = 1;
    params.output_color = 1;  // sRGB
    params.output_bps = 8;
    params.user_flip = 0;  // the turn is applied with every other format's
    params.gamm[0] = 1 / 2.4, params.gamm[1] = 12.92;
    options.ReserveMemory(DevelopMemory(raw.imgdata, half, plan));
    Check(raw.unpack(), stream);
    Check(raw.dcraw_process(), stream);
    int error = LIBRAW_SUCCESS;
    const std::unique_ptr<libraw_processed_image_t, MemImageFree> image(raw.dcraw_make_mem_image(&error));
    if (!image) Check(error != LIBRAW_SUCCESS ? error : LIBRAW_UNSPECIFIED_ERROR, stream);
    options.ThrowIfStopRequested();
    if (image->type != LIBRAW_IMAGE_BITMAP || image->bits != 8 || (image->colors != 3 && image->colors != 1))
        throw DamagedData(kName, "developed image");
    CheckSourcePixels(image->width, image->height);
    // Sensors with oblong pixels or turned by 45 degrees develop to other
    // proportions than their sizes say: the thumbnail follows the develop.
    const std::int32_t full_width = image->width << half, full_height = image->height << half;
    if (!plan.whole && !SameProportions(full_width, full_height, sizes.width, sizes.height, 2))
        plan = request.PlanFor(full_width, full_height, turn);
    RowSink sink(image->width, image->height, false, plan);
    CopyRows(*image, sink);
    Image developed = sink.Finish();
    if (raw.error_count() > 0) developed.damage = SourceDamage::kCorruptData;
    return developed;
}

}  // namespace

Decoded DecodeRaw(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options) {
    RawStream stream(source, options);
    // LibRaw's own messages would go to stderr; its reasons come back as results.
    const auto raw = std::make_unique<LibRaw>(LIBRAW_OPIONS_NO_MEMERR_CALLBACK | LIBRAW_OPIONS_NO_DATAERR_CALLBACK);
    stream.Serve(*raw);
    // Between the library's stages too, where it reads nothing.
    raw->set_progress_handler(
        [](void* stop, LibRaw_progress, int, int) { return static_cast<const DecodeOptions*>(stop)->StopRequested() ? 1 : 0; },
        const_cast<DecodeOptions*>(&options));
    Check(raw->open_datastream(&stream), stream);
    const libraw_image_sizes_t& sizes = raw->imgdata.sizes;
    CheckSourcePixels(sizes.raw_width, sizes.raw_height);
    CheckSourcePixels(sizes.width, sizes.height);
    const Orientation turn = TurnOfFlip(sizes.flip);
    const DecodePlan plan = request.PlanFor(sizes.width, sizes.height, turn);
    if (request.previews) {
        if (std::optional<Image> preview = DecodePreview(*raw, source, plan, request.to_srgb, options))
            return {std::move(*preview), turn};
    }
    return {Develop(*raw, stream, request, plan, turn, options), turn};
}

}  // namespace nuthumb
