#pragma once
// Where the rows of a PNG, WebP or HEIF decode go: into the whole image for an
// unscaled copy, or straight into the thumbnail (the nearest picks, or the area
// filter), so that a thumbnail never needs the whole source in memory.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "pixels/box_filter.h"
#include "pixels/image.h"
#include "pixels/nearest_map.h"
#include "pixels/srgb_conversion.h"
#include "pixels/thumbnail_plan.h"

namespace nuthumb {

// Throws LoadError unless width x height is a non-empty size within the pixel
// limit; decoders call it before anything of that size is allocated.
void CheckSourcePixels(std::int32_t width, std::int32_t height);

// About how many bytes a decode by `plan` holds besides the decoder's own
// buffers: a whole image held decoded and once more in its target's form (at
// most 4 bytes a pixel), or the thumbnail with a source row and the area
// filter's open rows, beside the whole decoded source when the decoder can only
// give it whole (`decodes_whole`).
std::uint64_t PlanMemory(std::int32_t width, std::int32_t height, bool alpha, const DecodePlan& plan,
                         bool decodes_whole);
// The same for every thumbnail of one decode: the decoded source counted once.
std::uint64_t PlansMemory(std::int32_t width, std::int32_t height, bool alpha, std::span<const DecodePlan> plans,
                          bool decodes_whole);

// An image of width x height: 24-bit B,G,R, or 32-bit B,G,R,A with
// `alpha`. Throws LoadError over the pixel limit.
Image DecodedImage(std::int32_t width, std::int32_t height, bool alpha);

class RowSink {
public:
    // Rows of a width x height source, 3 bytes a pixel (B,G,R) or 4 with alpha
    // (B,G,R,A), arrive from the top; `colour`, when given, converts them as
    // though before anything else (the nearest picks convert only the picked
    // pixels, which is the same). Throws LoadError over the pixel limit.
    RowSink(std::int32_t width, std::int32_t height, bool alpha, const DecodePlan& plan,
            std::optional<SrgbConversion> colour = std::nullopt);
    // Several thumbnails (none whole) from the same rows: each is exactly what
    // a sink of its plan alone makes.
    RowSink(std::int32_t width, std::int32_t height, bool alpha, std::span<const DecodePlan> plans,
            std::optional<SrgbConversion> colour = std::nullopt);
    RowSink(const RowSink&) = delete;
    RowSink& operator=(const RowSink&) = delete;

    // Where row y is to be decoded (the image's own row for a whole image, else a
    // scratch row), then Add(y) takes it. Rows come in rising order; rows never
    // added stay zero.
    std::uint8_t* RowBuffer(std::int32_t y);
    void Add(std::int32_t y);

    // The image or thumbnail; the sink is spent afterwards.
    Image Finish();
    // Every thumbnail, in the order of the plans.
    std::vector<Image> FinishAll();

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    int bytes_per_pixel() const { return bytes_per_pixel_; }

private:
    // One thumbnail: the nearest picks or the area filter. It does not move, since
    // the filter writes into its image.
    struct Output {
        Image image;
        std::vector<std::int32_t> columns;
        NearestRows rows{{}};
        std::optional<BoxFilter> area;
    };
    void AddOutput(const DecodePlan& plan, bool alpha);

    std::int32_t width_, height_;
    int bytes_per_pixel_;
    Image image_;  // the whole image
    bool whole_;
    std::vector<std::unique_ptr<Output>> outputs_;
    bool any_area_ = false;
    std::vector<std::uint8_t> scratch_;
    std::optional<SrgbConversion> colour_;
};

// Feeds `sink` the rows of an R,G,B image (R,G,B,A with alpha) of its size
// whose rows lie `stride` bytes apart from `pixels`, and finishes it.
Image FromInterleavedRgb(RowSink& sink, const std::uint8_t* pixels, std::size_t stride);
// The same, giving every thumbnail of the sink.
std::vector<Image> AllFromInterleavedRgb(RowSink& sink, const std::uint8_t* pixels, std::size_t stride);

// The plan applied to an image decoded whole (24-bit B,G,R or 32-bit with
// alpha): the image itself, or its thumbnail, exactly as RowSink makes it,
// converted by `colour` first when given.
Image ApplyPlan(Image&& decoded, const DecodePlan& plan, const std::optional<SrgbConversion>& colour = std::nullopt);
// Every plan (none whole) applied to the same decoded image.
std::vector<Image> ApplyPlans(Image&& decoded, std::span<const DecodePlan> plans,
                              const std::optional<SrgbConversion>& colour = std::nullopt);

}  // namespace nuthumb
