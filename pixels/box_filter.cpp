#include "pixels/box_filter.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace nuthumb {

namespace {

// An axis the window enlarges is interpolated when asked to; any other is boxed.
bool Interpolated(std::int32_t source, AxisWindow axis, bool smooth_enlarge) {
    return smooth_enlarge && axis.scaled > source;
}

}  // namespace

// Boxed: in units of 1/scaled of a source pixel, source pixel s spans
// [s * scaled, (s + 1) * scaled) and target pixel t spans [t * source, (t + 1) *
// source); a tap's weight is their overlap, so the weights of one target pixel
// add up to `source`. Interpolated: target pixel t's centre lies at source
// position ((2t + 1) source - scaled) / (2 scaled), kept within the first and the
// last pixel's centres; the two pixels around it weigh by nearness, in units of
// 1/(2 scaled), so they add up to 2 scaled. Both are symmetric, so the mirror of
// a window is filtered as the mirror of its filter.
BoxFilter::Axis BoxFilter::AxisTaps(std::int32_t source, AxisWindow window, bool smooth_enlarge) {
    Axis axis;
    axis.first.reserve(static_cast<std::size_t>(window.count) + 1);
    const std::int64_t s = source, t = window.scaled;
    const bool interpolated = Interpolated(source, window, smooth_enlarge);
    axis.total = static_cast<std::uint64_t>(interpolated ? 2 * t : s);
    for (std::int64_t d = window.offset; d < std::int64_t{window.offset} + window.count; ++d) {
        axis.first.push_back(axis.taps.size());
        if (interpolated) {
            const std::int64_t at = std::max<std::int64_t>(0, (2 * d + 1) * s - t);
            const std::int64_t left = std::min(at / (2 * t), s - 1), rest = at - left * 2 * t;
            if (left == s - 1 || rest == 0) {
                axis.taps.push_back({static_cast<std::int32_t>(left), static_cast<std::uint32_t>(2 * t)});
            } else {
                axis.taps.push_back({static_cast<std::int32_t>(left), static_cast<std::uint32_t>(2 * t - rest)});
                axis.taps.push_back({static_cast<std::int32_t>(left + 1), static_cast<std::uint32_t>(rest)});
            }
            continue;
        }
        const std::int64_t begin = d * s, end = (d + 1) * s;
        for (std::int64_t i = begin / t; i * t < end; ++i) {
            const std::int64_t overlap = std::min((i + 1) * t, end) - std::max(i * t, begin);
            axis.taps.push_back({static_cast<std::int32_t>(i), static_cast<std::uint32_t>(overlap)});
        }
    }
    axis.first.push_back(axis.taps.size());
    return axis;
}

BoxFilter::BoxFilter(std::int32_t source_width, std::int32_t source_height, Image& target, bool bottom_first,
                     const ScaleWindow& window)
    : target_(target),
      bottom_first_(bottom_first),
      source_height_(source_height),
      rows_(RowsOf(window, target.height)),
      columns_(AxisTaps(source_width, ColumnsOf(window, target.width), window.smooth_enlarge)),
      channels_(target.alpha ? 4 : 3),
      row_sums_(static_cast<std::size_t>(target.width) * channels_) {
    // Rows given from the bottom see the window from the bottom.
    if (bottom_first_) rows_.offset = rows_.scaled - rows_.offset - rows_.count;
    std::uint64_t rows_total = static_cast<std::uint64_t>(source_height);
    if (Interpolated(source_height, rows_, window.smooth_enlarge)) {
        const Axis rows = AxisTaps(source_height, rows_, true);
        rows_total = rows.total;
        InvertRows(rows);
    }
    total_ = columns_.total * rows_total;
}

void BoxFilter::InvertRows(const Axis& rows) {
    reach_first_ = rows.taps.empty() ? 0 : rows.taps.front().index;
    for (std::size_t t = 0; t + 1 < rows.first.size(); ++t) {
        for (std::size_t k = rows.first[t]; k < rows.first[t + 1]; ++k) {
            const auto at = static_cast<std::size_t>(rows.taps[k].index - reach_first_);
            if (reach_.size() <= at) reach_.resize(at + 1);
            reach_[at].push_back({static_cast<std::int32_t>(t), rows.taps[k].weight});
        }
    }
}

void BoxFilter::AddToRow(std::int64_t target_row, std::uint64_t weight) {
    const std::size_t slot = static_cast<std::size_t>(target_row - open_first_);
    while (open_.size() <= slot) {
        // A closed row's buffer is taken again: fresh pages cost more than zeroing.
        if (spare_.empty()) {
            open_.emplace_back(row_sums_.size(), 0);
        } else {
            open_.push_back(std::move(spare_.back()));
            spare_.pop_back();
            std::fill(open_.back().begin(), open_.back().end(), 0);
        }
    }
    std::vector<std::uint64_t>& sums = open_[slot];
    for (std::size_t i = 0; i < sums.size(); ++i) sums[i] += weight * row_sums_[i];
}

// One source row through the column taps into row_sums_. Without alpha the sums
// of a target pixel stay below 255 times the axis total, which usually fits 32
// bits; the narrower accumulators are what makes this loop cheap.
template <class Sum, std::size_t Step, bool Alpha>
void BoxFilter::SumColumns(const std::uint8_t* row) {
    constexpr std::size_t gray = Step == 1 ? 0 : 1;  // 0: every channel reads byte 0
    const std::size_t width = static_cast<std::size_t>(target_.width);
    const Tap* taps = columns_.taps.data();
    std::uint64_t* sums = row_sums_.data();
    for (std::size_t t = 0; t < width; ++t) {
        Sum b = 0, g = 0, r = 0, a = 0;
        for (std::size_t k = columns_.first[t], end = columns_.first[t + 1]; k < end; ++k) {
            const std::uint8_t* p = row + static_cast<std::size_t>(taps[k].index) * Step;
            const Sum w = Alpha ? Sum{taps[k].weight} * p[3] : Sum{taps[k].weight};
            b += w * p[0];
            g += w * p[gray];
            r += w * p[2 * gray];
            a += w;
        }
        sums[0] = b, sums[1] = g, sums[2] = r;
        if constexpr (Alpha) sums[3] = a;
        sums += Alpha ? 4 : 3;
    }
}

void BoxFilter::AddRow(std::int32_t index, const std::uint8_t* row, int bytes_per_pixel) {
    if (channels_ == 4) {
        SumColumns<std::uint64_t, 4, true>(row);
    } else if (columns_.total > std::numeric_limits<std::uint32_t>::max() / 255) {
        if (bytes_per_pixel == 1) SumColumns<std::uint64_t, 1, false>(row);
        else if (bytes_per_pixel == 3) SumColumns<std::uint64_t, 3, false>(row);
        else SumColumns<std::uint64_t, 4, false>(row);
    } else if (bytes_per_pixel == 1) {
        SumColumns<std::uint32_t, 1, false>(row);
    } else if (bytes_per_pixel == 3) {
        SumColumns<std::uint32_t, 3, false>(row);
    } else {
        SumColumns<std::uint32_t, 4, false>(row);
    }
    if (!reach_.empty()) {
        // An interpolated axis: the rows this source row is one of the two
        // nearest pixels of.
        if (index < reach_first_ || static_cast<std::size_t>(index - reach_first_) >= reach_.size()) return;
        const std::vector<Tap>& reached = reach_[static_cast<std::size_t>(index - reach_first_)];
        if (reached.empty()) return;
        CloseRowsBefore(reached.front().index);
        for (const Tap& tap : reached) AddToRow(tap.index, tap.weight);
        return;
    }
    // The target rows this source row reaches, and its weight in each (counted in
    // the scaled picture, then within the window).
    const std::int64_t s = source_height_, h = rows_.scaled, top = rows_.offset, bottom = top + rows_.count;
    const std::int64_t begin = index * h, end = (index + 1) * h;
    const std::int64_t first_row = begin / s;
    CloseRowsBefore(static_cast<std::int32_t>(std::clamp<std::int64_t>(first_row - top, 0, rows_.count)));
    for (std::int64_t d = std::max(first_row, top); d * s < end && d < bottom; ++d) {
        const std::int64_t overlap = std::min((d + 1) * s, end) - std::max(d * s, begin);
        AddToRow(d - top, static_cast<std::uint64_t>(overlap));
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
        spare_.push_back(std::move(open_.front()));
        open_.pop_front();
    }
}

void BoxFilter::Finish() { CloseRowsBefore(target_.height); }

namespace {

// n / divisor without a hardware division per channel, exact for every n below
// 256 times the divisor (a multiply by the rounded-up reciprocal, 2^shift /
// divisor, then a shift: with shift = bits(n) + bits(divisor), the error stays
// below what could change the quotient).
class Divider {
public:
    explicit Divider(std::uint64_t divisor) : divisor_(divisor) {
        const int divisor_bits = std::bit_width(divisor - 1);  // 2^divisor_bits >= divisor
        // Beyond 48 bits the multiplier would outgrow 64 bits: divide plainly.
        if (divisor_bits > 48) return;
        shift_ = 8 + 2 * divisor_bits;
        const unsigned __int128 power = static_cast<unsigned __int128>(1) << shift_;
        multiplier_ = static_cast<std::uint64_t>((power - 1) / divisor + 1);
    }
    std::uint64_t operator()(std::uint64_t n) const {
        if (multiplier_ == 0) return n / divisor_;
        return static_cast<std::uint64_t>((static_cast<unsigned __int128>(n) * multiplier_) >> shift_);
    }

private:
    std::uint64_t divisor_;
    std::uint64_t multiplier_ = 0;
    int shift_ = 0;
};

}  // namespace

void BoxFilter::WriteRow(std::int32_t target_row, const std::vector<std::uint64_t>& sums) {
    const std::int32_t y = bottom_first_ ? target_.height - 1 - target_row : target_row;
    std::uint8_t* out = target_.row_from_top(y);
    const std::uint64_t half = total_ / 2;
    const std::size_t width = static_cast<std::size_t>(target_.width);
    if (channels_ == 3) {
        // A sum and half the total stay below 256 times the total.
        const Divider divide(total_);
        const std::uint64_t* pixel = sums.data();
        for (std::size_t t = 0; t < width; ++t, out += 4, pixel += 3) {
            for (std::size_t c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>(divide(pixel[c] + half));
            out[3] = 0;
        }
        return;
    }
    for (std::size_t t = 0; t < width; ++t, out += 4) {
        // Colours were summed weighted by alpha: divide by the alpha they carry.
        const std::uint64_t* pixel = sums.data() + 4 * t;
        const std::uint64_t weight = pixel[3];
        for (std::size_t c = 0; c < 3; ++c)
            out[c] = weight == 0 ? 0 : static_cast<std::uint8_t>((pixel[c] + weight / 2) / weight);
        out[3] = static_cast<std::uint8_t>((weight + half) / total_);
    }
}

}  // namespace nuthumb
