#pragma once
// What the fuzz target of every codec row does with an input: estimate it, and
// decode it whole, as a nearest thumbnail and as an area thumbnail, each turned
// as its format (or, when the input says so, its EXIF) asks. The nearest
// thumbnail must equal the stretch of the whole picture as shown and be refused
// exactly when the whole is; a refusal (LoadError) is a correct answer.
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "codecs/codec_table.h"
#include "pixels/load_error.h"
#include "pixels/orientation.h"
#include "pixels/scaler.h"

namespace nuthumb::fuzzing {

// Small enough that one input cannot take the fuzzer's memory or time.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 20;

// Returns the whole picture, upright, when it loads.
inline std::optional<Image> DecodeThreeWays(ImageFormat format, const ByteSource& bytes, std::size_t input_size) {
    const Codec& codec = CodecOf(format);
    const std::int32_t side = 1 + static_cast<std::int32_t>(input_size % 37);
    const auto decode = [&](bool whole, bool area) -> std::optional<Image> {
        DecodeRequest request;
        request.auto_orient = input_size % 2 == 0;
        request.plan = [&](std::int32_t width, std::int32_t height) {
            if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels)
                throw LoadError("too large for fuzzing");
            return whole ? DecodePlan{true, width, height} : DecodePlan{false, side, 1 + height % 29, area};
        };
        try {
            EstimateMemory(format, bytes, request);
            Decoded decoded = codec.decode(bytes, request, {});
            return decoded.turn == 1 ? std::move(decoded.image) : OrientImage(decoded.image, decoded.turn);
        } catch (const LoadError&) {
            return std::nullopt;
        }
    };
    std::optional<Image> whole = decode(true, false);
    const std::optional<Image> nearest = decode(false, false);
    decode(false, true);
    if (whole.has_value() != nearest.has_value()) std::abort();
    if (whole && StretchToThumbnail(*whole, nearest->width, nearest->height).pixels != nearest->pixels) std::abort();
    return whole;
}

}  // namespace nuthumb::fuzzing
