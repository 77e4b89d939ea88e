#pragma once
// What every fuzz target of the PNG, WebP and HEIF decoders does with an input:
// decode it whole, as a nearest thumbnail and as an area thumbnail. The nearest
// thumbnail must equal the stretch of the whole image and be refused exactly
// when the whole is; a refusal (LoadError) is a correct answer.
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "codecs/row_sink.h"
#include "pixels/load_error.h"
#include "pixels/scaler.h"

namespace nuthumb::fuzzing {

// Small enough that one input cannot take the fuzzer's memory or time.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 20;

// `load(plan_of)` decodes the input; returns the whole image when it loads.
template <class Load>
std::optional<Image> DecodeThreeWays(Load load, std::size_t input_size) {
    const std::int32_t side = 1 + static_cast<std::int32_t>(input_size % 37);
    const auto decode = [&](bool whole, bool area) -> std::optional<Image> {
        const PlanOf plan = [&](std::int32_t width, std::int32_t height) {
            if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels)
                throw LoadError("too large for fuzzing");
            return whole ? DecodePlan{true, width, height, false} : DecodePlan{false, side, 1 + height % 29, area};
        };
        try {
            return load(plan);
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
