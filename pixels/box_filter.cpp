#include "pixels/box_filter.h"

#include <algorithm>

namespace nuthumb {

// In units of 1/target of a source pixel, source pixel s spans [s * target,
// (s + 1) * target) and target pixel t spans [t * source, (t + 1) * source); a
// tap's weight is their overlap, so the weights of one target pixel add up to
// `source`.
BoxFilter::Axis BoxFilter::AxisTaps(std::int32_t source, std::int32_t target) {
    Axis axis;
    axis.first.reserve(static_cast<std::size_t>(target) + 1);
    const std::int64_t s = source, t = target;
    for (std::int64_t d = 0; d < t; ++d) {
        axis.first.push_back(axis.taps.size());
        const std::int64_t begin = d * s, end = (d + 1) * s;
        for (std::int64_t i = begin / t; i * t < end; ++i) {
            const std::int64_t overlap = std::min((i + 1) * t, end) - std::max(i * t, begin);
            axis.taps.push_back({static_cast<std::int32_t>(i), static_cast<std::uint32_t>(overlap)});
        }
    }
    axis.first.push_back(axis.taps.size());
    return axis;
}

BoxFilter::BoxFilter(std::int32_t source_width, std::int32_t source_height, Image& target, bool bottom_first)
    : target_(target),
      bottom_first_(bottom_first),
      source_height_(source_height),
      total_(static_cast<std::uint64_t>(source_width) * static_cast<std::uint64_t>(source_height)),
      columns_(AxisTaps(source_width, target.width)),
      channels_(target.alpha ? 4 : 3),
      row_sums_(static_cast<std::size_t>(target.width) * channels_) {}

void BoxFilter::AddRow(std::int32_t index, const std::uint8_t* row, int bytes_per_pixel) {
    const std::size_t width = static_cast<std::size_t>(target_.width);
    const std::size_t step = static_cast<std::size_t>(bytes_per_pixel);
    const std::size_t gray = bytes_per_pixel == 1 ? 0 : 1;  // 0: every channel reads byte 0
    const bool alpha = channels_ == 4;
    for (std::size_t t = 0; t < width; ++t) {
        std::uint64_t b = 0, g = 0, r = 0, a = 0;
        for (std::size_t k = columns_.first[t]; k < columns_.first[t + 1]; ++k) {
            const Tap tap = columns_.taps[k];
            const std::uint8_t* p = row + static_cast<std::size_t>(tap.index) * step;
            const std::uint64_t w = alpha ? std::uint64_t{tap.weight} * p[3] : tap.weight;
            b += w * p[0];
            g += w * p[gray];
            r += w * p[2 * gray];
            a += w;
        }
        std::uint64_t* sums = row_sums_.data() + channels_ * t;
        sums[0] = b, sums[1] = g, sums[2] = r;
        if (alpha) sums[3] = a;
    }
    // The target rows this source row reaches, and its weight in each.
    const std::int64_t s = source_height_, h = target_.height;
    const std::int64_t begin = index * h, end = (index + 1) * h;
    const auto first_row = static_cast<std::int32_t>(begin / s);
    CloseRowsBefore(first_row);
    for (std::int64_t d = first_row; d * s < end && d < h; ++d) {
        const std::int64_t overlap = std::min((d + 1) * s, end) - std::max(d * s, begin);
        const std::size_t slot = static_cast<std::size_t>(d - open_first_);
        while (open_.size() <= slot) open_.emplace_back(row_sums_.size(), 0);
        std::vector<std::uint64_t>& sums = open_[slot];
        for (std::size_t i = 0; i < sums.size(); ++i) sums[i] += static_cast<std::uint64_t>(overlap) * row_sums_[i];
    }
}

void BoxFilter::CloseRowsBefore(std::int32_t target_row) {
    while (open_first_ < target_row) {
        if (open_.empty()) {
            // Rows nothing reached stay as zeroed.
            open_first_ = target_row;
            break;
        }
        WriteRow(open_first_++, open_.front());
        open_.pop_front();
    }
}

void BoxFilter::Finish() { CloseRowsBefore(target_.height); }

void BoxFilter::WriteRow(std::int32_t target_row, const std::vector<std::uint64_t>& sums) {
    const std::int32_t y = bottom_first_ ? target_.height - 1 - target_row : target_row;
    std::uint8_t* out = target_.row_from_top(y);
    const std::uint64_t half = total_ / 2;
    for (std::size_t t = 0; t < static_cast<std::size_t>(target_.width); ++t, out += 4) {
        const std::uint64_t* pixel = sums.data() + channels_ * t;
        if (channels_ == 3) {
            for (std::size_t c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>((pixel[c] + half) / total_);
            out[3] = 0;
            continue;
        }
        // Colours were summed weighted by alpha: divide by the alpha they carry.
        const std::uint64_t weight = pixel[3];
        for (std::size_t c = 0; c < 3; ++c)
            out[c] = weight == 0 ? 0 : static_cast<std::uint8_t>((pixel[c] + weight / 2) / weight);
        out[3] = static_cast<std::uint8_t>((weight + half) / total_);
    }
}

}  // namespace nuthumb
