#include "pixels/block_average.h"

#include <algorithm>
#include <stdexcept>

namespace nuthumb {

namespace {

// Distinct buffers and whole runs of 16, said so that the loop is vectorised.
void AddColumns(std::uint16_t* __restrict sums, const std::uint8_t* __restrict row, std::size_t n) {
    const std::size_t runs = n - n % 16;
    for (std::size_t i = 0; i < runs; i += 16)
        for (std::size_t k = 0; k < 16; ++k) sums[i + k] = static_cast<std::uint16_t>(sums[i + k] + row[i + k]);
    for (std::size_t i = runs; i < n; ++i) sums[i] = static_cast<std::uint16_t>(sums[i] + row[i]);
}

}  // namespace

BlockAverage::BlockAverage(std::int32_t width, std::int32_t height, int factor, int bytes_per_pixel)
    : width_(static_cast<std::size_t>(width)),
      height_(height),
      factor_(factor),
      bytes_(static_cast<std::size_t>(bytes_per_pixel)),
      sums_(width_ * bytes_, 0),
      out_((width_ + static_cast<std::size_t>(factor) - 1) / static_cast<std::size_t>(factor) * bytes_) {
    // A column's sum of `factor` rows must fit its 16 bits.
    if (factor < 1 || factor > 0xFFFF / 0xFF) throw std::invalid_argument("block factor out of range");
}

const std::uint8_t* BlockAverage::Add(std::int32_t y, const std::uint8_t* row) {
    AddColumns(sums_.data(), row, sums_.size());
    const std::int32_t rows = y % factor_ + 1;
    if (rows < factor_ && y + 1 < height_) return nullptr;
    const std::size_t f = static_cast<std::size_t>(factor_);
    std::uint8_t* out = out_.data();
    for (std::size_t x = 0; x < width_; x += f) {
        const std::size_t columns = std::min(f, width_ - x);
        const std::uint32_t count = static_cast<std::uint32_t>(columns) * static_cast<std::uint32_t>(rows);
        for (std::size_t c = 0; c < bytes_; ++c) {
            std::uint32_t sum = 0;
            for (std::size_t k = 0; k < columns; ++k) sum += sums_[(x + k) * bytes_ + c];
            *out++ = static_cast<std::uint8_t>((sum + count / 2) / count);
        }
    }
    std::fill(sums_.begin(), sums_.end(), 0);
    return out_.data();
}

}  // namespace nuthumb
