#include "codecs/bmp_codec.h"

#include <algorithm>

#include "codecs/bmp_header.h"
#include "codecs/bmp_reader.h"
#include "codecs/bmp_thumbnail.h"
#include "pixels/load_error.h"

namespace nuthumb {
namespace {

BmpHeader ReadHeader(const ByteSource& source) {
    if (source.size() == 0) throw LoadError("empty image");
    return ReadBmpHeader(source, kMaxPixels);
}

// An unscaled copy holds the whole image decoded (a run-length one expanded to
// 32 bits, with the file bytes it keeps) and once more in the target's form: a
// BMP file of the same rows, the kept bytes taken over as they are, or another
// format's data of at most 3 bytes a pixel beside its encoder's rows. A
// thumbnail keeps only its own rows and one source row.
std::uint64_t Memory(const BmpHeader& h, std::uint64_t file_size, const DecodePlan& plan) {
    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    if (!plan.whole)
        return static_cast<std::uint64_t>(plan.width) * static_cast<std::uint64_t>(plan.height) * 4 + width * 4;
    constexpr std::uint64_t kLargestBmpHeaders = 14 + 124 + 12 + 256 * 4;
    const std::uint64_t pixels = width * static_cast<std::uint64_t>(h.height);
    const bool run_length = h.compression == kCompressionRle8 || h.compression == kCompressionRle4;
    const std::uint64_t stored = ImageFormatOf(h).stride() * static_cast<std::uint64_t>(h.height);
    const std::uint64_t decoded = run_length ? pixels * 4 + MaxKeptFileBytes(h, file_size) : stored;
    const std::uint64_t as_bmp = run_length ? 0 : kLargestBmpHeaders + stored;
    return decoded + std::max(as_bmp, pixels * 3 + width * 4 * 16);
}

}  // namespace

bool IsBmp(std::span<const std::uint8_t> head) { return head.size() >= 2 && head[0] == 'B' && head[1] == 'M'; }

Decoded DecodeBmp(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options) {
    const BmpHeader header = ReadHeader(source);
    const DecodePlan plan = request.PlanFor(header.width, header.height);
    options.ReserveMemory(Memory(header, source.size(), plan));
    if (plan.whole) return {LoadBitmap(source, header, options)};
    // Further thumbnails (more_plans) are left to the caller: each reads the
    // rows it needs itself.
    if (plan.area) return {DecodeBitmapArea(source, header, plan.width, plan.height, options, plan.window)};
    return {DecodeBitmapThumbnail(source, header, plan.width, plan.height, options, plan.window)};
}

}  // namespace nuthumb
