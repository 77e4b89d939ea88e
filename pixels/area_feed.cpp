#include "pixels/area_feed.h"

namespace nuthumb {

AreaFeed::AreaFeed(std::int32_t source_width, std::int32_t source_height, int bytes_per_pixel)
    : width_(source_width), height_(source_height), bytes_(bytes_per_pixel) {}

void AreaFeed::Add(Image& target, const ScaleWindow& window, int factor) {
    if (factor <= 1) {
        direct_.push_back(std::make_unique<BoxFilter>(width_, height_, target, false, window));
        return;
    }
    Reduced* reduced = nullptr;
    for (Reduced& r : reduced_)
        if (r.average.factor() == factor) reduced = &r;
    if (reduced == nullptr) reduced = &reduced_.emplace_back(Reduced{BlockAverage(width_, height_, factor, bytes_), {}});
    const std::int32_t width = (width_ + factor - 1) / factor, height = (height_ + factor - 1) / factor;
    reduced->filters.push_back(std::make_unique<BoxFilter>(width, height, target, false, window));
}

void AreaFeed::AddRow(std::int32_t y, const std::uint8_t* row) {
    for (const auto& filter : direct_) filter->AddRow(y, row, bytes_);
    for (Reduced& r : reduced_) {
        const std::uint8_t* averaged = r.average.Add(y, row);
        if (averaged == nullptr) continue;
        for (const auto& filter : r.filters) filter->AddRow(y / r.average.factor(), averaged, bytes_);
    }
}

void AreaFeed::Finish() {
    for (const auto& filter : direct_) filter->Finish();
    for (Reduced& r : reduced_)
        for (const auto& filter : r.filters) filter->Finish();
}

}  // namespace nuthumb
