#include "codecs/bmp_rle.h"

#include "codecs/bmp_header.h"
#include "pixels/load_error.h"

namespace nuthumb {
namespace {

// Walks the stream; positions count rows from the bottom, as the file does.
class RleExpander {
public:
    RleExpander(ChunkReader& in, int bits, const std::vector<PaletteEntry>& palette, std::int32_t width,
                std::int32_t height, RleRowSink& sink)
        : in_(in),
          bits_(bits),
          palette_(palette),
          width_(width),
          height_(height),
          sink_(sink),
          begin_(in.position()),
          max_bytes_(MaxRunLengthBytes(width, height)) {}

    RunLengthStop Run() {
        while (y_ < height_ && in_.remaining() >= 2) {
            CheckLength();
            const std::uint8_t count = in_.Next();
            const std::uint8_t value = in_.Next();
            if (count > 0) {
                EncodedRun(count, value);
                continue;
            }
            switch (value) {
                case 0:  // end of line
                    x_ = 0;
                    ++y_;
                    break;
                case 1:  // end of bitmap
                    return {in_.position(), SourceDamage::kNone};
                case 2:
                    if (!Delta()) return Cut();
                    break;
                default:
                    if (!AbsoluteRun(value)) return Cut();
                    break;
            }
        }
        if (y_ < height_) {
            // The data ran out without its end-of-bitmap mark: only a last row
            // filled to its end makes the image whole.
            const bool whole = y_ == height_ - 1 && x_ == width_;
            return {in_.position(), whole ? SourceDamage::kNone : SourceDamage::kTruncated};
        }
        // The image is complete; its end-of-bitmap mark, when it follows, belongs
        // to the data, anything else does not.
        const std::uint64_t end = in_.position();
        if (in_.remaining() >= 2 && in_.Next() == 0 && in_.Next() == 1) return {in_.position(), SourceDamage::kNone};
        return {end, SourceDamage::kNone};
    }

private:
    RunLengthStop Cut() const { return {in_.position(), SourceDamage::kTruncated}; }

    // A stream may be long only by codes that move nothing (a delta of 0, 0);
    // refused, so that what a copy keeps of it stays in proportion to the image.
    void CheckLength() const {
        if (in_.position() - begin_ > max_bytes_) throw LoadError("run-length data longer than its image can use");
    }

    // Runs start only below the last row's end: the walk stops there.
    void CheckRunFits(std::int64_t count) const {
        if (x_ + count > width_) {
            throw LoadError("run-length run goes past the end of its row");
        }
    }

    // Every index is checked, also in rows nobody keeps, so that a file is refused
    // or accepted whatever size it is scaled to.
    void CheckIndex(std::uint32_t index) const {
        if (index >= palette_.size()) throw PaletteIndexError(index, palette_.size());
    }

    // Where the current row's pixels go; null when nothing keeps it.
    std::uint8_t* CurrentRow() {
        if (row_y_ != y_) {
            row_ = sink_.Row(static_cast<std::int32_t>(y_));
            row_y_ = y_;
        }
        return row_;
    }

    void Put(std::uint8_t* row, std::int64_t x, std::uint32_t index) const {
        const PaletteEntry& c = palette_[index];
        std::uint8_t* p = row + static_cast<std::size_t>(x) * 4;
        p[0] = c.blue;
        p[1] = c.green;
        p[2] = c.red;
        p[3] = 0;
    }

    // RLE8 repeats one index; RLE4 alternates the two nibbles of the byte. A run in
    // a row nothing keeps costs two checks, however long.
    void EncodedRun(std::uint32_t count, std::uint8_t value) {
        CheckRunFits(count);
        const std::uint32_t even = bits_ == 8 ? value : value >> 4;
        const std::uint32_t odd = bits_ == 8 ? value : value & 0x0F;
        CheckIndex(even);
        if (count > 1) CheckIndex(odd);
        if (std::uint8_t* row = CurrentRow()) {
            for (std::uint32_t i = 0; i < count; ++i) Put(row, x_ + i, (i & 1) == 0 ? even : odd);
        }
        x_ += count;
    }

    // Literal indices, padded to a 16-bit boundary. A stream that ends inside
    // them ends the image (returns false).
    bool AbsoluteRun(std::uint32_t count) {
        CheckRunFits(count);
        const std::uint32_t bytes = bits_ == 8 ? count : (count + 1) / 2;
        if (in_.remaining() < bytes) return false;
        std::uint8_t* row = CurrentRow();
        std::uint8_t b = 0;
        for (std::uint32_t i = 0; i < count; ++i, ++x_) {
            if (bits_ == 8 || (i & 1) == 0) b = in_.Next();
            const std::uint32_t index = bits_ == 8 ? b : ((i & 1) == 0 ? b >> 4 : b & 0x0F);
            CheckIndex(index);
            if (row) Put(row, x_, index);
        }
        if ((bytes & 1) != 0 && in_.remaining() > 0) in_.Next();
        return true;
    }

    // Moves right and up; may reach the end of a row or the row after the last,
    // but no further.
    bool Delta() {
        if (in_.remaining() < 2) return false;
        const std::int64_t dx = in_.Next();
        const std::int64_t dy = in_.Next();
        if (x_ + dx > width_ || y_ + dy > height_) {
            throw LoadError("run-length delta moves past the image");
        }
        x_ += dx;
        y_ += dy;
        return true;
    }

    ChunkReader& in_;
    int bits_;
    const std::vector<PaletteEntry>& palette_;
    std::int64_t width_, height_;
    RleRowSink& sink_;
    const std::uint64_t begin_;
    const std::uint64_t max_bytes_;
    std::int64_t x_ = 0;  // 64 bits: no sum of a position and a count can wrap
    std::int64_t y_ = 0;
    std::int64_t row_y_ = -1;  // the row `row_` belongs to
    std::uint8_t* row_ = nullptr;
};

// Every row is kept, in place.
class ImageSink final : public RleRowSink {
public:
    explicit ImageSink(Image& target) : target_(target), stride_(target.stride()) {}
    std::uint8_t* Row(std::int32_t y) override {
        return target_.pixels.data() + static_cast<std::size_t>(y) * stride_;
    }

private:
    Image& target_;
    std::size_t stride_;
};

}  // namespace

std::uint64_t MaxRunLengthBytes(std::int32_t width, std::int32_t height) {
    // Positions count y * (width + 1) + x; every code but a zero delta moves at
    // least one step per 4 bytes. The end-of-bitmap mark comes on top.
    return 4 * (static_cast<std::uint64_t>(height) + 1) * (static_cast<std::uint64_t>(width) + 1) + 2;
}

RunLengthStop ExpandRunLength(ChunkReader& stream, int bits_per_index, const std::vector<PaletteEntry>& palette,
                              std::int32_t width, std::int32_t height, RleRowSink& sink) {
    return RleExpander(stream, bits_per_index, palette, width, height, sink).Run();
}

RunLengthStop ExpandRunLengthPixels(ChunkReader& stream, int bits_per_index, const std::vector<PaletteEntry>& palette,
                                    Image& target) {
    ImageSink sink(target);
    return ExpandRunLength(stream, bits_per_index, palette, target.width, target.height, sink);
}

}  // namespace nuthumb
