#pragma once
// The area filter: each thumbnail pixel is the average of the source pixels it
// covers, each weighted by the share of it that lies inside the pixel's exact span
// (a box filter, in integers, on the stored values: no gamma). Rows arrive one at
// a time, so a source is never held whole.
#include <cstdint>
#include <deque>
#include <vector>

#include "pixels/image.h"
#include "pixels/scale_window.h"

namespace nuthumb {

class BoxFilter {
public:
    // Filters a source_width x source_height source onto `target`, a zeroed 32-bit
    // thumbnail that must outlive the filter: the whole picture, or the
    // `window` of it scaled (its y counted from the top). Rows are given from
    // the top, or from the bottom when `bottom_first` (the filter of the
    // mirrored image is the mirror of the filter).
    BoxFilter(std::int32_t source_width, std::int32_t source_height, Image& target, bool bottom_first = false,
              const ScaleWindow& window = {});

    // Source row `index` (counted in the order rows are given, rising from call
    // to call): `bytes_per_pixel` bytes a pixel holding B, G, R first, or one gray
    // byte when bytes_per_pixel is 1. A row never given counts as black. When the
    // target has alpha, rows are B, G, R, A: colours are weighted by their alpha,
    // so a transparent pixel's colour does not bleed into its neighbours.
    void AddRow(std::int32_t index, const std::uint8_t* row, int bytes_per_pixel);

    // Writes the thumbnail rows still open.
    void Finish();

private:
    // Source pixel `index` counts `weight` times towards one target pixel.
    struct Tap {
        std::int32_t index;
        std::uint32_t weight;
    };
    // For each target pixel of an axis, its taps: taps[first[t] .. first[t + 1]),
    // whose weights add up to `total`.
    struct Axis {
        std::vector<Tap> taps;
        std::vector<std::size_t> first;
        std::uint64_t total = 0;
    };
    static Axis AxisTaps(std::int32_t source, AxisWindow axis, bool smooth_enlarge);
    // The rows of an enlarged axis interpolated: the target rows each source row
    // reaches, from source row reach_first_ on.
    void InvertRows(const Axis& rows);
    template <class Sum, std::size_t Step, bool Alpha>
    void SumColumns(const std::uint8_t* row);
    void AddToRow(std::int64_t target_row, std::uint64_t weight);
    void WriteRow(std::int32_t target_row, const std::vector<std::uint64_t>& sums);
    void CloseRowsBefore(std::int32_t target_row);

    Image& target_;
    bool bottom_first_;
    std::int32_t source_height_;
    AxisWindow rows_;  // the boxed rows: the window in the order rows are given
    std::vector<std::vector<Tap>> reach_;  // interpolated rows: target row, weight
    std::int32_t reach_first_ = 0;
    std::uint64_t total_;  // the weight of every target pixel: the axes' totals multiplied
    Axis columns_;
    std::size_t channels_;  // sums per pixel: 3, or 4 with alpha
    std::vector<std::uint64_t> row_sums_;  // one source row through the column taps
    // Open target rows from open_first_ on, channels_ sums per pixel each.
    std::deque<std::vector<std::uint64_t>> open_;
    std::int32_t open_first_ = 0;
    std::vector<std::vector<std::uint64_t>> spare_;  // closed rows' buffers, taken again
};

}  // namespace nuthumb
