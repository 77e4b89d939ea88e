#include "codecs/jpeg_codec.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "codecs/jpeg_decoder.h"
#include "pixels/nearest_map.h"
#include "pixels/scaler.h"

namespace nuthumb {
namespace {

std::vector<std::int32_t> Union(std::vector<std::int32_t> all) {
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

// Where each pick lies in the sorted, unique `all`.
std::vector<std::size_t> PositionsIn(const std::vector<std::int32_t>& all, const std::vector<std::int32_t>& picks) {
    std::vector<std::size_t> positions;
    positions.reserve(picks.size());
    for (const std::int32_t pick : picks)
        positions.push_back(static_cast<std::size_t>(std::lower_bound(all.begin(), all.end(), pick) - all.begin()));
    return positions;
}

// Nearest thumbnails pick pixels: the decode keeps every row and column some
// thumbnail picks, and each thumbnail takes its own picks out of that, so each
// is exactly the thumbnail of its plan alone.
std::vector<Image> DecodeSampledThumbnails(JpegDecoder& decoder, const std::vector<DecodePlan>& plans) {
    std::vector<std::vector<std::int32_t>> columns, rows;
    std::vector<std::int32_t> all_columns, all_rows;
    for (const DecodePlan& plan : plans) {
        columns.push_back(PickMap(decoder.width(), ColumnsOf(plan.window, plan.width), plan.flip_x));
        rows.push_back(PickMap(decoder.height(), RowsOf(plan.window, plan.height), plan.flip_y));
        all_columns.insert(all_columns.end(), columns.back().begin(), columns.back().end());
        all_rows.insert(all_rows.end(), rows.back().begin(), rows.back().end());
    }
    all_columns = Union(std::move(all_columns));
    all_rows = Union(std::move(all_rows));
    Image picked = decoder.DecodeSampled(all_columns, all_rows);
    if (decoder.colour()) decoder.colour()->Convert(picked);
    std::vector<Image> thumbnails;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        Image thumbnail = BlankThumbnail(plans[i].width, plans[i].height);
        const std::vector<std::size_t> across = PositionsIn(all_columns, columns[i]);
        const std::vector<std::size_t> down = PositionsIn(all_rows, rows[i]);
        for (std::int32_t y = 0; y < thumbnail.height; ++y) {
            const std::uint8_t* from = picked.row_from_top(static_cast<std::int32_t>(down[static_cast<std::size_t>(y)]));
            std::uint8_t* to = thumbnail.row_from_top(y);
            for (const std::size_t x : across) std::memcpy(to, from + 4 * x, 4), to += 4;
        }
        thumbnail.damage = picked.damage;
        thumbnails.push_back(std::move(thumbnail));
    }
    return thumbnails;
}

// Several thumbnails of one decode, all by the same filter: the decode's
// working memory and every thumbnail (twice for the picks) are held at once.
Decoded DecodeThumbnails(JpegDecoder& decoder, const std::vector<DecodePlan>& plans, const DecodeOptions& options) {
    std::uint64_t thumbnails = 0;
    for (const DecodePlan& plan : plans)
        thumbnails += static_cast<std::uint64_t>(plan.width) * static_cast<std::uint64_t>(plan.height) * 4;
    options.ReserveMemory(decoder.WorkingMemory(false) + thumbnails * (plans.front().area ? 1 : 2));
    std::vector<Image> images =
        plans.front().area ? decoder.DecodeAreas(plans) : DecodeSampledThumbnails(decoder, plans);
    Decoded decoded = DecodedOf(std::move(images), decoder.orientation());
    decoded.progressive = decoder.progressive();
    return decoded;
}

}  // namespace

// Only the picks are converted into sRGB, which is converting before picking;
// the area filter converts its rows before it averages them.
Image DecodeJpegPlan(JpegDecoder& decoder, const DecodePlan& plan) {
    if (plan.area && !plan.whole) return decoder.DecodeArea(plan.width, plan.height, plan.window);
    Image image = plan.whole ? decoder.DecodeImage()
                             : decoder.DecodeSampled(PickMap(decoder.width(), ColumnsOf(plan.window, plan.width), plan.flip_x),
                                                     PickMap(decoder.height(), RowsOf(plan.window, plan.height), plan.flip_y));
    if (decoder.colour()) decoder.colour()->Convert(image);
    return image;
}

bool IsJpeg(std::span<const std::uint8_t> head) {
    return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

Decoded DecodeJpeg(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options) {
    JpegDecoder decoder(source, options, request.auto_orient, request.to_srgb);
    const std::vector<DecodePlan> plans = request.PlansFor(decoder.width(), decoder.height(), decoder.orientation());
    const bool shared = std::all_of(plans.begin(), plans.end(), [&plans](const DecodePlan& plan) {
        return !plan.whole && plan.area == plans.front().area;
    });
    // Thumbnails of different filters (or a copy) cannot share one decode: the
    // first is made here, and the caller decodes the others itself.
    if (plans.size() > 1 && shared) return DecodeThumbnails(decoder, plans, options);
    options.ReserveMemory(decoder.WorkingMemory(plans.front().whole));
    return {DecodeJpegPlan(decoder, plans.front()), decoder.orientation(), decoder.progressive()};
}

}  // namespace nuthumb
