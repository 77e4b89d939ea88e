#include "pixels/row_sink.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>

#include "pixels/load_error.h"
#include "pixels/nearest_map.h"
#include "pixels/scaler.h"
#include "platform/translate.h"

namespace nuthumb {

void CheckSourcePixels(std::int32_t width, std::int32_t height) {
    if (width < 1 || height < 1) throw LoadError("empty image");
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels)
        throw LoadError(Tr("画像の画素数が上限を超えています"));
}

std::uint64_t PlanMemory(std::int32_t width, std::int32_t height, bool alpha, const DecodePlan& plan,
                         bool decodes_whole) {
    // Within the pixel limit none of these products comes near 2^64.
    const std::uint64_t w = static_cast<std::uint64_t>(width), h = static_cast<std::uint64_t>(height);
    const std::uint64_t decoded = w * h * (alpha ? 4 : 3);
    if (plan.whole) return decoded + w * h * 4;
    const std::uint64_t tw = static_cast<std::uint64_t>(plan.width);
    const std::uint64_t thumbnail = tw * static_cast<std::uint64_t>(plan.height) * 4;
    const std::uint64_t rows = w * 4 + tw * 4 * sizeof(std::uint64_t) * 3;
    return thumbnail + rows + (decodes_whole ? decoded : 0);
}

std::uint64_t PlansMemory(std::int32_t width, std::int32_t height, bool alpha, std::span<const DecodePlan> plans,
                          bool decodes_whole) {
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < plans.size(); ++i) bytes += PlanMemory(width, height, alpha, plans[i], decodes_whole && i == 0);
    return bytes;
}

Image DecodedImage(std::int32_t width, std::int32_t height, bool alpha) {
    CheckSourcePixels(width, height);
    Image image;
    image.width = width;
    image.height = height;
    image.top_down = false;  // bottom-up, as a decoded JPEG and every BMP target
    image.bits_per_pixel = alpha ? 32 : 24;
    image.alpha = alpha;
    image.pixels.resize(image.stride() * static_cast<std::size_t>(height));
    return image;
}

RowSink::RowSink(std::int32_t width, std::int32_t height, bool alpha, const DecodePlan& plan,
                 std::optional<SrgbConversion> colour)
    : RowSink(width, height, alpha, std::span<const DecodePlan>(&plan, 1), std::move(colour)) {}

RowSink::RowSink(std::int32_t width, std::int32_t height, bool alpha, std::span<const DecodePlan> plans,
                 std::optional<SrgbConversion> colour)
    : width_(width), height_(height), bytes_per_pixel_(alpha ? 4 : 3), whole_(plans.size() == 1 && plans[0].whole),
      colour_(std::move(colour)) {
    if (whole_) {
        image_ = DecodedImage(width, height, alpha);
        return;
    }
    scratch_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(bytes_per_pixel_));
    for (const DecodePlan& plan : plans) AddOutput(plan, alpha);
}

void RowSink::AddOutput(const DecodePlan& plan, bool alpha) {
    if (plan.whole) throw LoadError("an unscaled copy shares no decode");
    auto output = std::make_unique<Output>();
    output->image = BlankThumbnail(plan.width, plan.height);
    output->image.alpha = alpha;
    if (plan.area) {
        output->area.emplace(width_, height_, output->image, false, plan.window);
        any_area_ = true;
    } else {
        output->columns = PickMap(width_, ColumnsOf(plan.window, plan.width), plan.flip_x);
        output->rows = NearestRows(PickMap(height_, RowsOf(plan.window, plan.height), plan.flip_y));
    }
    outputs_.push_back(std::move(output));
}

std::uint8_t* RowSink::RowBuffer(std::int32_t y) { return whole_ ? image_.row_from_top(y) : scratch_.data(); }

void RowSink::Add(std::int32_t y) {
    if (whole_) {
        if (colour_) colour_->Convert(image_.row_from_top(y), static_cast<std::size_t>(width_), bytes_per_pixel_);
        return;
    }
    // The picks take the stored colours (their thumbnails are converted at the
    // end); the filters average converted ones.
    for (const auto& output : outputs_) {
        if (output->area) continue;
        output->rows.Fill(output->image, y, [&](std::uint8_t* out) {
            SampleBgrColumns(scratch_.data(), static_cast<std::size_t>(bytes_per_pixel_), output->columns, out,
                             output->image.alpha);
        });
    }
    if (!any_area_) return;
    if (colour_) colour_->Convert(scratch_.data(), static_cast<std::size_t>(width_), bytes_per_pixel_);
    for (const auto& output : outputs_)
        if (output->area) output->area->AddRow(y, scratch_.data(), bytes_per_pixel_);
}

std::vector<Image> RowSink::FinishAll() {
    std::vector<Image> images;
    if (whole_) {
        images.push_back(std::move(image_));
        return images;
    }
    for (const auto& output : outputs_) {
        if (output->area) output->area->Finish();
        else if (colour_) colour_->Convert(output->image);
        images.push_back(std::move(output->image));
    }
    return images;
}

Image RowSink::Finish() { return std::move(FinishAll().front()); }

Image FromInterleavedRgb(RowSink& sink, const std::uint8_t* pixels, std::size_t stride) {
    return std::move(AllFromInterleavedRgb(sink, pixels, stride).front());
}

std::vector<Image> AllFromInterleavedRgb(RowSink& sink, const std::uint8_t* pixels, std::size_t stride) {
    const auto bytes = static_cast<std::size_t>(sink.bytes_per_pixel());
    for (std::int32_t y = 0; y < sink.height(); ++y) {
        const std::uint8_t* in = pixels + static_cast<std::size_t>(y) * stride;
        std::uint8_t* out = sink.RowBuffer(y);
        for (std::int32_t x = 0; x < sink.width(); ++x, in += bytes, out += bytes) {
            out[0] = in[2], out[1] = in[1], out[2] = in[0];
            if (bytes == 4) out[3] = in[3];
        }
        sink.Add(y);
    }
    return sink.FinishAll();
}

namespace {

Image ThumbnailOf(const Image& decoded, const DecodePlan& plan) {
    Image thumbnail;
    if (!plan.area) {
        thumbnail = StretchToThumbnail(decoded, plan.width, plan.height, plan.window);
    } else {
        thumbnail = BlankThumbnail(plan.width, plan.height);
        thumbnail.alpha = decoded.alpha;
        BoxFilter area(decoded.width, decoded.height, thumbnail, false, plan.window);
        const int bytes = decoded.alpha ? 4 : 3;
        for (std::int32_t y = 0; y < decoded.height; ++y) area.AddRow(y, decoded.row_from_top(y), bytes);
        area.Finish();
    }
    thumbnail.damage = decoded.damage;
    return thumbnail;
}

}  // namespace

Image ApplyPlan(Image&& decoded, const DecodePlan& plan, const std::optional<SrgbConversion>& colour) {
    if (colour) colour->Convert(decoded);
    if (plan.whole) return std::move(decoded);
    return ThumbnailOf(decoded, plan);
}

std::vector<Image> ApplyPlans(Image&& decoded, std::span<const DecodePlan> plans,
                              const std::optional<SrgbConversion>& colour) {
    if (plans.size() == 1) return {ApplyPlan(std::move(decoded), plans[0], colour)};
    if (colour) colour->Convert(decoded);
    std::vector<Image> images;
    for (const DecodePlan& plan : plans) {
        if (plan.whole) throw LoadError("an unscaled copy shares no decode");
        images.push_back(ThumbnailOf(decoded, plan));
    }
    return images;
}

}  // namespace nuthumb
