#pragma once
// Several area-filtered thumbnails fed from one stream of source rows. A
// thumbnail may take the rows as they come or their factor x factor block
// averages (BlockAverage), computed once for every thumbnail of that factor.
#include <cstdint>
#include <memory>
#include <vector>

#include "pixels/block_average.h"
#include "pixels/box_filter.h"

namespace nuthumb {

class AreaFeed {
public:
    // Rows of source_width x source_height, `bytes_per_pixel` (1 gray or 3
    // B,G,R) bytes a pixel, given from the top.
    AreaFeed(std::int32_t source_width, std::int32_t source_height, int bytes_per_pixel);

    // Filters onto `target` (a zeroed thumbnail that must outlive the feed),
    // the source reduced by `factor` first.
    void Add(Image& target, const ScaleWindow& window, int factor);

    void AddRow(std::int32_t y, const std::uint8_t* row);
    void Finish();

private:
    struct Reduced {
        BlockAverage average;
        std::vector<std::unique_ptr<BoxFilter>> filters;
    };
    std::int32_t width_, height_;
    int bytes_;
    std::vector<std::unique_ptr<BoxFilter>> direct_;
    std::vector<Reduced> reduced_;
};

}  // namespace nuthumb
