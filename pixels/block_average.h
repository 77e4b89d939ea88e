#pragma once
// A picture's rows reduced by a whole factor both ways: each output pixel is the
// rounded mean of the factor x factor block of source pixels it stands for (the
// blocks of the last column and row hold what is left). The output is
// ceil(width / factor) x ceil(height / factor), the size a decoder gives at
// 1/factor of the scale, so a filter meant for that smaller decode can be fed
// from a finer one while touching only a fraction of its pixels.
#include <cstdint>
#include <vector>

namespace nuthumb {

class BlockAverage {
public:
    // Rows of `width` pixels of `bytes_per_pixel` bytes; `height` rows in all.
    BlockAverage(std::int32_t width, std::int32_t height, int factor, int bytes_per_pixel);

    int factor() const { return factor_; }

    // Adds source row `y` (rising by one from 0); returns the reduced row it
    // completes, row y / factor, or nullptr while the block is still open. The
    // row stays valid until the next call.
    const std::uint8_t* Add(std::int32_t y, const std::uint8_t* row);

private:
    std::size_t width_;
    std::int32_t height_;
    int factor_;
    std::size_t bytes_;
    std::vector<std::uint16_t> sums_;  // the open block row, summed down each column
    std::vector<std::uint8_t> out_;
};

}  // namespace nuthumb
