#include "codecs/heif_reader.h"

#include <libheif/heif.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/codec_failure.h"
#include "codecs/row_sink.h"

namespace nuthumb {
namespace {

// libheif reads the boxes and the coded data it needs through these calls, so
// the file is never read whole. No exception may cross the library: a read
// failure is kept and thrown once it returns.
struct HeifInput {
    const ByteSource& source;
    std::int64_t position = 0;
    std::exception_ptr failure;
};

std::int64_t Position(void* self) { return static_cast<HeifInput*>(self)->position; }

int Read(void* data, std::size_t size, void* self) {
    auto& in = *static_cast<HeifInput*>(self);
    try {
        const std::size_t got =
            in.source.ReadAt(static_cast<std::uint64_t>(in.position), {static_cast<std::uint8_t*>(data), size});
        in.position += static_cast<std::int64_t>(got);
        return got == size ? 0 : 1;
    } catch (...) {
        in.failure = std::current_exception();
        return 1;
    }
}

int Seek(std::int64_t position, void* self) {
    auto& in = *static_cast<HeifInput*>(self);
    if (position < 0 || static_cast<std::uint64_t>(position) > in.source.size()) return 1;
    in.position = position;
    return 0;
}

heif_reader_grow_status WaitForSize(std::int64_t size, void* self) {
    const auto& in = *static_cast<HeifInput*>(self);
    return size >= 0 && static_cast<std::uint64_t>(size) <= in.source.size() ? heif_reader_grow_status_size_reached
                                                                             : heif_reader_grow_status_size_beyond_eof;
}

const heif_reader kReader{1, Position, Read, Seek, WaitForSize};

constexpr int kMaxSide = 16384;
static_assert(std::uint64_t{kMaxSide} * kMaxSide <= kMaxPixels);

template <auto Free>
struct Freer {
    template <class T>
    void operator()(T* p) const { Free(p); }
};
template <class T, auto Free>
using Owned = std::unique_ptr<T, Freer<Free>>;

// A failed call's reason; a read failure of the source is thrown as it is.
void Check(const heif_error& error, const HeifInput& in, const char* format) {
    if (error.code == heif_error_Ok) return;
    if (in.failure) std::rethrow_exception(in.failure);
    if (error.code == heif_error_Invalid_input && error.subcode == heif_suberror_End_of_data) throw CutShort(format);
    throw DamagedData(format, error.message ? error.message : "");
}

// The colr box's ICC profile, when one is asked for and the file has one.
std::optional<SrgbConversion> ColourOf(const heif_image_handle* handle, bool to_srgb) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (!to_srgb || (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC))
        return std::nullopt;
    std::vector<std::uint8_t> profile(heif_image_handle_get_raw_color_profile_size(handle));
    if (profile.empty() || heif_image_handle_get_raw_color_profile(handle, profile.data()).code != heif_error_Ok)
        return std::nullopt;
    return SrgbConversion::FromProfile(profile);
}

// The brands of a HEIF file type box: AV1-coded images first, since an AVIF
// file usually also lists the generic image brand "mif1".
enum class Brand { kNone, kHeic, kAvif };
Brand BrandOf(std::span<const std::uint8_t> head) {
    const auto at = [&head](std::size_t offset, std::string_view text) {
        return head.size() >= offset + text.size() && std::memcmp(head.data() + offset, text.data(), text.size()) == 0;
    };
    if (!at(4, "ftyp")) return Brand::kNone;
    const std::size_t box = std::size_t{head[0]} << 24 | std::size_t{head[1]} << 16 | std::size_t{head[2]} << 8 | head[3];
    // The major brand at 8, the minor version at 12, compatible brands from 16.
    const std::size_t end = std::min(box, head.size());
    constexpr std::array<std::string_view, 2> kAv1{"avif", "avis"};
    constexpr std::array<std::string_view, 7> kHevc{"heic", "heix", "hevc", "hevx", "heim", "mif1", "msf1"};
    Brand found = Brand::kNone;
    for (std::size_t offset = 8; offset + 4 <= end; offset += offset == 8 ? 8 : 4) {
        for (const auto brand : kAv1)
            if (at(offset, brand)) return Brand::kAvif;
        for (const auto brand : kHevc)
            if (at(offset, brand)) found = Brand::kHeic;
    }
    return found;
}

}  // namespace

bool IsHeic(std::span<const std::uint8_t> head) { return BrandOf(head) == Brand::kHeic; }
bool IsAvif(std::span<const std::uint8_t> head) { return BrandOf(head) == Brand::kAvif; }

Decoded DecodeHeif(const ByteSource& source, const char* name, const DecodeRequest& request,
                   const DecodeOptions& options) {
    HeifInput in{source, 0, nullptr};
    const Owned<heif_context, heif_context_free> context(heif_context_alloc());
    if (!context) throw std::bad_alloc();
    // The run decodes several files at once; one file's tiles on one thread.
    heif_context_set_max_decoding_threads(context.get(), 0);
    // libheif allocates a grid image by the size its grid descriptor gives,
    // which need not be the size the handle reports: its own limit on each side
    // must keep that within the pixel limit too (16384 x 16384 = 2^28).
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    Check(heif_context_read_from_reader(context.get(), &kReader, &in, nullptr), in, name);
    heif_image_handle* raw_handle = nullptr;
    Check(heif_context_get_primary_image_handle(context.get(), &raw_handle), in, name);
    const Owned<heif_image_handle, heif_image_handle_release> handle(raw_handle);

    // The stored size is decoded before it is turned or cropped: both must be
    // within the limit before anything is allocated.
    const std::int32_t stored_width = heif_image_handle_get_ispe_width(handle.get());
    const std::int32_t stored_height = heif_image_handle_get_ispe_height(handle.get());
    CheckSourcePixels(stored_width, stored_height);
    const std::int32_t width = heif_image_handle_get_width(handle.get());
    const std::int32_t height = heif_image_handle_get_height(handle.get());
    CheckSourcePixels(width, height);
    const std::vector<DecodePlan> plans = request.PlansFor(width, height);
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;

    // The coded data, the decoder's planes (up to 16 bits, 4:4:4, with alpha)
    // and libheif's interleaved copy.
    const std::uint64_t stored = static_cast<std::uint64_t>(stored_width) * static_cast<std::uint64_t>(stored_height);
    options.ReserveMemory(source.size() + stored * (8 + 4) + PlansMemory(width, height, alpha, plans, false));
    options.ThrowIfStopRequested();

    const Owned<heif_decoding_options, heif_decoding_options_free> settings(heif_decoding_options_alloc());
    if (!settings) throw std::bad_alloc();
    settings->convert_hdr_to_8bit = 1;
    heif_image* raw_image = nullptr;
    Check(heif_decode_image(handle.get(), &raw_image, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, settings.get()),
          in, name);
    const Owned<heif_image, heif_image_release> decoded(raw_image);
    options.ThrowIfStopRequested();

    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(decoded.get(), heif_channel_interleaved, &stride);
    if (!plane || heif_image_get_width(decoded.get(), heif_channel_interleaved) != width ||
        heif_image_get_height(decoded.get(), heif_channel_interleaved) != height ||
        heif_image_get_bits_per_pixel_range(decoded.get(), heif_channel_interleaved) != 8)
        throw DamagedData(name, "decoded image");

    RowSink sink(width, height, alpha, plans, ColourOf(handle.get(), request.to_srgb));
    return DecodedOf(AllFromInterleavedRgb(sink, plane, static_cast<std::size_t>(stride)));
}

}  // namespace nuthumb
