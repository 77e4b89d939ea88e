#include "engine/rle_decoder.h"

#include <algorithm>

#include "engine/bmp_header.h"
#include "engine/load_error.h"

namespace nuthumb {
namespace {

// Walks the stream; positions count rows from the bottom, as the file does.
class RleExpander {
public:
    RleExpander(std::span<const std::uint8_t> stream, int bits, const std::vector<PaletteEntry>& palette,
                Image& target)
        : in_(stream), bits_(bits), palette_(palette), target_(target), stride_(target.stride()) {}

    void Run() {
        while (pos_ + 2 <= in_.size()) {
            const std::uint8_t count = in_[pos_++];
            const std::uint8_t value = in_[pos_++];
            if (count > 0) {
                EncodedRun(count, value);
                continue;
            }
            switch (value) {
                case 0:  // end of line; extra ones after the last row change nothing
                    x_ = 0;
                    if (y_ < target_.height) ++y_;
                    break;
                case 1:  // end of bitmap
                    return;
                case 2:
                    if (!Delta()) return;
                    break;
                default:
                    if (!AbsoluteRun(value)) return;
                    break;
            }
        }
        // A stream without its end-of-bitmap mark: the rest of the image stays 0.
    }

private:
    void CheckRunFits(std::int64_t count) const {
        if (y_ >= target_.height) throw LoadError("run-length data continues past the last row");
        if (x_ + count > target_.width) {
            throw LoadError("run-length run goes past the end of its row");
        }
    }

    void Put(std::uint32_t index) {
        if (index >= palette_.size()) throw PaletteIndexError(index, palette_.size());
        const PaletteEntry& c = palette_[index];
        std::uint8_t* p = target_.pixels.data() + static_cast<std::size_t>(y_) * stride_ + static_cast<std::size_t>(x_) * 4;
        p[0] = c.blue;
        p[1] = c.green;
        p[2] = c.red;
        p[3] = 0;
        ++x_;
    }

    // RLE8 repeats one index; RLE4 alternates the two nibbles of the byte.
    void EncodedRun(std::uint32_t count, std::uint8_t value) {
        CheckRunFits(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            Put(bits_ == 8 ? value : ((i & 1) == 0 ? value >> 4 : value & 0x0F));
        }
    }

    // Literal indices, padded to a 16-bit boundary. A stream that ends inside
    // them ends the image (returns false).
    bool AbsoluteRun(std::uint32_t count) {
        CheckRunFits(count);
        const std::size_t bytes = bits_ == 8 ? count : (count + 1) / 2;
        const std::size_t padded = (bytes + 1) & ~std::size_t{1};
        if (in_.size() - pos_ < bytes) return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t b = in_[pos_ + (bits_ == 8 ? i : i / 2)];
            Put(bits_ == 8 ? b : ((i & 1) == 0 ? b >> 4 : b & 0x0F));
        }
        pos_ += std::min(padded, in_.size() - pos_);
        return true;
    }

    // Moves right and up; may reach the end of a row or the row after the last,
    // but no further.
    bool Delta() {
        if (in_.size() - pos_ < 2) return false;
        const std::int64_t dx = in_[pos_++];
        const std::int64_t dy = in_[pos_++];
        if (x_ + dx > target_.width || y_ + dy > target_.height) {
            throw LoadError("run-length delta moves past the image");
        }
        x_ += dx;
        y_ += dy;
        return true;
    }

    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
    int bits_;
    const std::vector<PaletteEntry>& palette_;
    Image& target_;
    std::size_t stride_;
    std::int64_t x_ = 0;  // 64 bits: no sum of a position and a count can wrap
    std::int64_t y_ = 0;
};

}  // namespace

void ExpandRunLengthPixels(std::span<const std::uint8_t> stream, int bits_per_index,
                           const std::vector<PaletteEntry>& palette, Image& target) {
    RleExpander(stream, bits_per_index, palette, target).Run();
}

}  // namespace nuthumb
