#include "codecs/jxl_reader.h"

#include <jxl/decode.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "codecs/codec_failure.h"
#include "pixels/row_sink.h"
#include "pixels/srgb_conversion.h"

namespace nuthumb {
namespace {

constexpr char kName[] = "JPEG XL";
constexpr std::size_t kChunk = 64 * 1024;

using DecoderPtr = std::unique_ptr<JxlDecoder, decltype(&JxlDecoderDestroy)>;

// The library reads the file as it is handed over, a chunk at a time; what it
// has not taken yet is kept and handed over again with the next chunk.
class JxlInput {
public:
    JxlInput(const ByteSource& source, const DecodeOptions& options, JxlDecoder* decoder)
        : source_(source), options_(options), decoder_(decoder) {}

    // After NEED_MORE_INPUT: the next chunk. Throws CutShort at the end of the file.
    void Feed() {
        options_.ThrowIfStopRequested();
        const std::size_t kept = fed_ ? JxlDecoderReleaseInput(decoder_) : 0;
        if (fed_ && position_ >= source_.size()) throw CutShort(kName);
        if (kept > 0) std::memmove(buffer_.data(), buffer_.data() + buffer_.size() - kept, kept);
        buffer_.resize(kept + kChunk);
        const std::size_t got = source_.ReadAt(position_, {buffer_.data() + kept, kChunk});
        position_ += got;
        buffer_.resize(kept + got);
        if (JxlDecoderSetInput(decoder_, buffer_.data(), buffer_.size()) != JXL_DEC_SUCCESS)
            throw DamagedData(kName, "input");
        if (position_ >= source_.size()) JxlDecoderCloseInput(decoder_);
        fed_ = true;
    }

private:
    const ByteSource& source_;
    const DecodeOptions& options_;
    JxlDecoder* decoder_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t position_ = 0;
    bool fed_ = false;
};

// The decoder and what it has said so far.
struct JxlDecode {
    JxlDecode(const ByteSource& source, const DecodeOptions& options)
        : decoder(JxlDecoderCreate(nullptr), JxlDecoderDestroy), input(source, options, decoder.get()) {}
    DecoderPtr decoder;
    JxlInput input;
    JxlBasicInfo info{};
};

// Runs the library to its next event, feeding it as it asks.
JxlDecoderStatus Next(JxlDecode& d) {
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(d.decoder.get());
        if (status == JXL_DEC_ERROR) throw DamagedData(kName, "");
        if (status != JXL_DEC_NEED_MORE_INPUT) return status;
        d.input.Feed();
    }
}

// Up to the basic information: size, alpha, orientation. The pixels stay in
// the stored orientation so that a thumbnail never holds more than it must turn.
void ReadHeader(JxlDecode& d, int events) {
    if (!d.decoder) throw std::bad_alloc();
    JxlDecoder* dec = d.decoder.get();
    if (JxlDecoderSubscribeEvents(dec, JXL_DEC_BASIC_INFO | events) != JXL_DEC_SUCCESS ||
        JxlDecoderSetKeepOrientation(dec, JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetUnpremultiplyAlpha(dec, JXL_TRUE) != JXL_DEC_SUCCESS)
        throw DamagedData(kName, "settings");
    d.input.Feed();
    if (Next(d) != JXL_DEC_BASIC_INFO || JxlDecoderGetBasicInfo(dec, &d.info) != JXL_DEC_SUCCESS)
        throw DamagedData(kName, "header");
    CheckSourcePixels(static_cast<std::int32_t>(std::min<std::uint32_t>(d.info.xsize, INT32_MAX)),
                      static_cast<std::int32_t>(std::min<std::uint32_t>(d.info.ysize, INT32_MAX)));
}

Orientation TurnOf(const JxlBasicInfo& info) {
    const auto turn = static_cast<Orientation>(info.orientation);
    return turn >= 1 && turn <= 8 ? turn : 1;
}

// The library's frame in floats (three colours and alpha, 4 bytes a sample),
// its 8-bit output, and the plan's, besides the file it reads a chunk at a time.
std::uint64_t Memory(const JxlBasicInfo& info, std::span<const DecodePlan> plans) {
    const std::uint64_t w = info.xsize, h = info.ysize;
    return w * h * (16 + 4) + PlansMemory(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), info.alpha_bits > 0,
                                    plans, true) + 2 * kChunk;
}

// The conversion of the decoded pixels' colour space into sRGB, unless they
// are sRGB already.
std::optional<SrgbConversion> ColourOf(JxlDecoder* dec) {
    JxlColorEncoding encoding;
    if (JxlDecoderGetColorAsEncodedProfile(dec, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoding) ==
            JXL_DEC_SUCCESS &&
        encoding.color_space == JXL_COLOR_SPACE_RGB && encoding.white_point == JXL_WHITE_POINT_D65 &&
        encoding.primaries == JXL_PRIMARIES_SRGB && encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB)
        return std::nullopt;
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(dec, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS)
        return std::nullopt;
    std::vector<std::uint8_t> profile(size);
    if (JxlDecoderGetColorAsICCProfile(dec, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, profile.data(), size) !=
        JXL_DEC_SUCCESS)
        return std::nullopt;
    return SrgbConversion::FromProfile(profile);
}

}  // namespace

Decoded DecodeJxl(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options) {
    JxlDecode d(source, options);
    ReadHeader(d, JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE);
    const auto width = static_cast<std::int32_t>(d.info.xsize), height = static_cast<std::int32_t>(d.info.ysize);
    const Orientation turn = TurnOf(d.info);
    const std::vector<DecodePlan> plans = request.PlansFor(width, height, turn);
    options.ReserveMemory(Memory(d.info, plans));
    if (Next(d) != JXL_DEC_COLOR_ENCODING) throw DamagedData(kName, "colour encoding");
    std::optional<SrgbConversion> colour = request.to_srgb ? ColourOf(d.decoder.get()) : std::nullopt;

    const bool alpha = d.info.alpha_bits > 0;
    const JxlPixelFormat format{alpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    const std::size_t row_bytes = static_cast<std::size_t>(width) * format.num_channels;
    std::vector<std::uint8_t> pixels(row_bytes * static_cast<std::size_t>(height));
    if (Next(d) != JXL_DEC_NEED_IMAGE_OUT_BUFFER ||
        JxlDecoderSetImageOutBuffer(d.decoder.get(), &format, pixels.data(), pixels.size()) != JXL_DEC_SUCCESS)
        throw DamagedData(kName, "image");
    if (Next(d) != JXL_DEC_FULL_IMAGE) throw DamagedData(kName, "image");
    options.ThrowIfStopRequested();
    d.decoder.reset();

    RowSink sink(width, height, alpha, plans, std::move(colour));
    return DecodedOf(AllFromInterleavedRgb(sink, pixels.data(), row_bytes), turn);
}

}  // namespace nuthumb
