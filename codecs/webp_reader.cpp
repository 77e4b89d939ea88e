#include "codecs/webp_reader.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "codecs/bytes_at.h"
#include "codecs/codec_failure.h"
#include "pixels/row_sink.h"
#include "pixels/scaler.h"

namespace nuthumb {
namespace {

// The RIFF header, and the VP8X or first image chunk header: what
// WebPGetFeatures needs.
constexpr std::size_t kHeaderBytes = 64;

LoadError StatusFailure(VP8StatusCode status) {
    switch (status) {
        case VP8_STATUS_NOT_ENOUGH_DATA: return CutShort("WebP");
        case VP8_STATUS_UNSUPPORTED_FEATURE: return DamagedData("WebP", "unsupported feature");
        case VP8_STATUS_OUT_OF_MEMORY: return DamagedData("WebP", "out of memory");
        default: return DamagedData("WebP", "bitstream error");
    }
}

// The file's bytes up to the end its RIFF header gives (a file may carry more
// behind it), read whole: libwebp decodes from memory.
std::vector<std::uint8_t> ReadFile(const ByteSource& source, std::span<const std::uint8_t> header,
                                   const DecodeOptions& options) {
    const std::uint64_t riff = std::uint64_t{header[4]} | std::uint64_t{header[5]} << 8 |
                               std::uint64_t{header[6]} << 16 | std::uint64_t{header[7]} << 24;
    const std::uint64_t size = std::min(source.size(), riff + 8);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    constexpr std::size_t kChunk = 1 << 20;
    std::size_t at = 0;
    while (at < bytes.size()) {
        options.ThrowIfStopRequested();
        const std::size_t want = std::min(kChunk, bytes.size() - at);
        const std::size_t got = source.ReadAt(at, {bytes.data() + at, want});
        at += got;
        if (got < want) break;
    }
    bytes.resize(at);
    return bytes;
}

// The rows of `image` as libwebp writes them: top row first, whatever the
// stored order.
void PointOutputAt(WebPDecBuffer& output, Image& image) {
    output.is_external_memory = 1;
    output.width = image.width;
    output.height = image.height;
    const auto stride = static_cast<int>(image.stride());
    output.u.RGBA.rgba = image.row_from_top(0);
    output.u.RGBA.stride = image.top_down ? stride : -stride;
    output.u.RGBA.size = image.pixels.size();
}

Image DecodeStill(const std::vector<std::uint8_t>& file, WebPDecoderConfig& config, Image target) {
    config.output.colorspace = target.bits_per_pixel == 32 ? MODE_BGRA : MODE_BGR;
    PointOutputAt(config.output, target);
    const VP8StatusCode status = WebPDecode(file.data(), file.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) throw StatusFailure(status);
    return target;
}

// The first frame as shown: laid onto the canvas, which starts transparent.
Image DecodeFirstFrame(const std::vector<std::uint8_t>& file, std::int32_t width, std::int32_t height) {
    WebPAnimDecoderOptions settings;
    if (!WebPAnimDecoderOptionsInit(&settings)) throw DamagedData("WebP", "version");
    settings.color_mode = MODE_BGRA;
    settings.use_threads = 0;
    const WebPData data{file.data(), file.size()};
    const std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)> decoder(
        WebPAnimDecoderNew(&data, &settings), WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) throw DamagedData("WebP", "animation");
    if (info.canvas_width != static_cast<std::uint32_t>(width) || info.canvas_height != static_cast<std::uint32_t>(height))
        throw DamagedData("WebP", "canvas size");
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp)) throw DamagedData("WebP", "first frame");
    bool transparent = false;
    const std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
    for (std::size_t i = 3; i < row_bytes * static_cast<std::size_t>(height) && !transparent; i += 4)
        transparent = canvas[i] != 255;
    Image image = DecodedImage(width, height, transparent);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* in = canvas + static_cast<std::size_t>(y) * row_bytes;
        std::uint8_t* out = image.row_from_top(y);
        if (transparent) {
            std::memcpy(out, in, row_bytes);
            continue;
        }
        for (std::int32_t x = 0; x < width; ++x, in += 4, out += 3) out[0] = in[0], out[1] = in[1], out[2] = in[2];
    }
    return image;
}

// libwebp's own scaling onto the plan's size.
Image DecodeScaled(const std::vector<std::uint8_t>& file, WebPDecoderConfig& config, const DecodePlan& plan, bool alpha) {
    config.options.use_scaling = 1;
    config.options.scaled_width = plan.width;
    config.options.scaled_height = plan.height;
    Image thumbnail = DecodeStill(file, config, BlankThumbnail(plan.width, plan.height));
    thumbnail.alpha = alpha;
    if (!alpha)  // libwebp writes 255 where a thumbnail without alpha holds 0
        for (std::size_t i = 3; i < thumbnail.pixels.size(); i += 4) thumbnail.pixels[i] = 0;
    return thumbnail;
}

// Whether the extended header says the file carries an ICC profile.
bool HasProfile(std::span<const std::uint8_t> header) {
    return header.size() > 20 && std::memcmp(header.data() + 12, "VP8X", 4) == 0 && (header[20] & ICCP_FLAG) != 0;
}

std::optional<SrgbConversion> ColourOf(const std::vector<std::uint8_t>& file) {
    const WebPData data{file.data(), file.size()};
    const std::unique_ptr<WebPDemuxer, decltype(&WebPDemuxDelete)> demux(WebPDemux(&data), WebPDemuxDelete);
    WebPChunkIterator chunk;
    if (!demux || !WebPDemuxGetChunk(demux.get(), "ICCP", 1, &chunk)) return std::nullopt;
    std::optional<SrgbConversion> colour = SrgbConversion::FromProfile({chunk.chunk.bytes, chunk.chunk.size});
    WebPDemuxReleaseChunkIterator(&chunk);
    return colour;
}

}  // namespace

bool IsWebp(std::span<const std::uint8_t> head) {
    return HasBytesAt(head, 0, "RIFF") && HasBytesAt(head, 8, "WEBP");
}

Decoded DecodeWebp(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options) {
    std::array<std::uint8_t, kHeaderBytes> header{};
    const std::size_t head = source.ReadAt(0, header);
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) throw DamagedData("WebP", "version");
    const VP8StatusCode status = WebPGetFeatures(header.data(), head, &config.input);
    if (status != VP8_STATUS_OK) throw StatusFailure(status);
    const WebPBitstreamFeatures& features = config.input;
    CheckSourcePixels(features.width, features.height);
    const std::vector<DecodePlan> plans = request.PlansFor(features.width, features.height);
    const bool alpha = features.has_alpha != 0;
    // Colours are converted before scaling, so libwebp cannot scale then; nor
    // crop a scaled picture, nor enlarge by our filter.
    const bool profiled = request.to_srgb && HasProfile({header.data(), head});
    const auto libwebp_scales = [&](const DecodePlan& plan) {
        const bool enlarges = plan.width > features.width || plan.height > features.height;
        return !plan.whole && plan.area && !features.has_animation && !profiled && plan.window.scaled_width == 0 &&
               plan.window.scaled_height == 0 && !(plan.window.smooth_enlarge && enlarges);
    };
    const bool whole_needed = !std::all_of(plans.begin(), plans.end(), libwebp_scales);
    // The file, and what libwebp keeps besides the output: a lossless image's
    // every pixel, an animation's two canvases, a lossy one's rows (and its
    // alpha plane).
    const std::uint64_t pixels = static_cast<std::uint64_t>(features.width) * static_cast<std::uint64_t>(features.height);
    std::uint64_t library = static_cast<std::uint64_t>(features.width) * 4 * 32 + (alpha ? pixels : 0);
    if (features.format == 2) library = pixels * 4;
    if (features.has_animation) library = pixels * 8;
    options.ReserveMemory(source.size() + library +
                          PlansMemory(features.width, features.height, alpha, plans, whole_needed));
    const std::vector<std::uint8_t> file = ReadFile(source, {header.data(), head}, options);
    options.ThrowIfStopRequested();
    std::vector<Image> images(plans.size());
    if (whole_needed) {
        const std::optional<SrgbConversion> colour = profiled ? ColourOf(file) : std::nullopt;
        Image whole = features.has_animation ? DecodeFirstFrame(file, features.width, features.height)
                                             : DecodeStill(file, config, DecodedImage(features.width, features.height, alpha));
        std::vector<DecodePlan> from_whole;
        for (const DecodePlan& plan : plans)
            if (!libwebp_scales(plan)) from_whole.push_back(plan);
        std::vector<Image> made = ApplyPlans(std::move(whole), from_whole, colour);
        for (std::size_t i = 0, next = 0; i < plans.size(); ++i)
            if (!libwebp_scales(plans[i])) images[i] = std::move(made[next++]);
    }
    // libwebp scales while it decodes, in its own colour space: a thumbnail of
    // another size cannot come from that decode, so each decodes the file (read
    // once) again.
    for (std::size_t i = 0; i < plans.size(); ++i)
        if (libwebp_scales(plans[i])) images[i] = DecodeScaled(file, config, plans[i], alpha);
    return DecodedOf(std::move(images));
}

}  // namespace nuthumb
