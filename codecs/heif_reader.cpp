#include "codecs/heif_reader.h"

#include <libheif/heif.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/bytes_at.h"
#include "codecs/codec_failure.h"
#include "codecs/heif_transforms.h"
#include "codecs/preview_fit.h"
#include "pixels/row_sink.h"

namespace nuthumb {
namespace {

// libheif reads the boxes and the coded data it needs through these calls, so
// the file is never read whole. No exception may cross the library: a read
// failure is kept and thrown once it returns. A stop request fails the next
// read, so that a file read in tiny pieces cannot hold a stop up.
struct HeifInput {
    const ByteSource& source;
    const DecodeOptions& options;
    std::int64_t position = 0;
    std::exception_ptr failure;
};

std::int64_t Position(void* self) { return static_cast<HeifInput*>(self)->position; }

int Read(void* data, std::size_t size, void* self) {
    auto& in = *static_cast<HeifInput*>(self);
    try {
        in.options.ThrowIfStopRequested();
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

// The colr box's ICC profile; empty without one.
std::vector<std::uint8_t> RawProfile(const heif_image_handle* handle) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return {};
    std::vector<std::uint8_t> profile(heif_image_handle_get_raw_color_profile_size(handle));
    if (profile.empty() || heif_image_handle_get_raw_color_profile(handle, profile.data()).code != heif_error_Ok)
        return {};
    return profile;
}

// The ICC profile's conversion, when one is asked for and the file has one.
std::optional<SrgbConversion> ColourOf(const heif_image_handle* handle, bool to_srgb) {
    const std::vector<std::uint8_t> profile = to_srgb ? RawProfile(handle) : std::vector<std::uint8_t>{};
    if (profile.empty()) return std::nullopt;
    return SrgbConversion::FromProfile(profile);
}

using Handle = Owned<heif_image_handle, heif_image_handle_release>;

// Whether a thumbnail item looks as the primary image does: the same part of
// its coded picture shown (within a pixel and a half of the thumbnail, what
// cropping a coder's padding costs), the same turns in the same order, alpha
// and colour profile.
bool ShowsTheSame(const heif_image_handle* primary, const HeifItemLook& p, const heif_image_handle* thumbnail,
                  const HeifItemLook& t) {
    for (int edge = 0; edge < 4; ++edge) {
        const double scale = edge % 2 == 0 ? static_cast<double>(t.coded_width) / static_cast<double>(p.coded_width)
                                           : static_cast<double>(t.coded_height) / static_cast<double>(p.coded_height);
        if (std::abs(t.shown[edge] - p.shown[edge] * scale) > 1.5) return false;
    }
    if (t.turns != p.turns) return false;
    if (heif_image_handle_has_alpha_channel(primary) != heif_image_handle_has_alpha_channel(thumbnail)) return false;
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(primary);
    if (heif_image_handle_get_color_profile_type(thumbnail) != type) return false;
    if (type == heif_color_profile_type_nclx) {
        heif_color_profile_nclx* a = nullptr;
        heif_color_profile_nclx* b = nullptr;
        heif_image_handle_get_nclx_color_profile(primary, &a);
        heif_image_handle_get_nclx_color_profile(thumbnail, &b);
        const bool same = a && b && a->color_primaries == b->color_primaries &&
                          a->transfer_characteristics == b->transfer_characteristics &&
                          a->matrix_coefficients == b->matrix_coefficients && a->full_range_flag == b->full_range_flag;
        heif_nclx_color_profile_free(a);
        heif_nclx_color_profile_free(b);
        return same;
    }
    return RawProfile(primary) == RawProfile(thumbnail);
}

// The smallest thumbnail item that may stand in for the primary image in
// `plan`'s thumbnail: a scaled copy (its sides rounded to even numbers, as
// coders make them) at least the thumbnail's size that shows what the primary
// shows. Nothing when none does.
Handle FittingThumbnail(const ByteSource& source, heif_item_id primary_id, const heif_image_handle* primary,
                        const DecodePlan& plan) {
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count < 1) return nullptr;
    std::vector<heif_item_id> items(static_cast<std::size_t>(count) + 1, primary_id);
    heif_image_handle_get_list_of_thumbnail_IDs(primary, items.data() + 1, count);
    const std::vector<std::optional<HeifItemLook>> looks = ReadHeifItemLooks(source, items);
    if (!looks[0]) return nullptr;
    const std::int64_t width = heif_image_handle_get_width(primary), height = heif_image_handle_get_height(primary);
    Handle best;
    for (std::size_t i = 1; i < items.size(); ++i) {
        heif_image_handle* raw = nullptr;
        if (!looks[i] || heif_image_handle_get_thumbnail(primary, items[i], &raw).code != heif_error_Ok) continue;
        Handle thumbnail(raw);
        const int w = heif_image_handle_get_width(raw), h = heif_image_handle_get_height(raw);
        if (PreviewFits(w, h, width, height, 2, plan) && ShowsTheSame(primary, *looks[0], raw, *looks[i]) &&
            (!best || w < heif_image_handle_get_width(best.get())))
            best = std::move(thumbnail);
    }
    return best;
}

// Decodes `handle` (the primary image or a thumbnail standing in for it) into
// the images of `plans`.
Decoded DecodeHandle(const heif_image_handle* handle, const HeifInput& in, const char* name,
                     std::span<const DecodePlan> plans, bool to_srgb, const DecodeOptions& options) {
    // The stored size is decoded before it is turned or cropped: both must be
    // within the limit before anything is allocated.
    const std::int32_t stored_width = heif_image_handle_get_ispe_width(handle);
    const std::int32_t stored_height = heif_image_handle_get_ispe_height(handle);
    CheckSourcePixels(stored_width, stored_height);
    const std::int32_t width = heif_image_handle_get_width(handle);
    const std::int32_t height = heif_image_handle_get_height(handle);
    CheckSourcePixels(width, height);
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;

    // The coded data, the decoder's planes (up to 16 bits, 4:4:4, with alpha)
    // and libheif's interleaved copy.
    const std::uint64_t stored = static_cast<std::uint64_t>(stored_width) * static_cast<std::uint64_t>(stored_height);
    options.ReserveMemory(in.source.size() + stored * (8 + 4) + PlansMemory(width, height, alpha, plans, false));
    options.ThrowIfStopRequested();

    const Owned<heif_decoding_options, heif_decoding_options_free> settings(heif_decoding_options_alloc());
    if (!settings) throw std::bad_alloc();
    settings->convert_hdr_to_8bit = 1;
    heif_image* raw_image = nullptr;
    Check(heif_decode_image(handle, &raw_image, heif_colorspace_RGB,
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

    RowSink sink(width, height, alpha, plans, ColourOf(handle, to_srgb));
    return DecodedOf(AllFromInterleavedRgb(sink, plane, static_cast<std::size_t>(stride)));
}

}  // namespace

Decoded DecodeHeif(const ByteSource& source, const char* name, const DecodeRequest& request,
                   const DecodeOptions& options) {
    HeifInput in{source, options, 0, nullptr};
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
    Handle handle(raw_handle);

    const std::int32_t width = heif_image_handle_get_width(handle.get());
    const std::int32_t height = heif_image_handle_get_height(handle.get());
    CheckSourcePixels(width, height);
    const std::vector<DecodePlan> plans = request.PlansFor(width, height);
    // A lone area thumbnail may come from a thumbnail item; a nearest one is the
    // exact picks of the primary image, and a gallery's sizes share its decode.
    heif_item_id primary_id = 0;
    if (request.previews && plans.size() == 1 && plans.front().area &&
        heif_context_get_primary_image_ID(context.get(), &primary_id).code == heif_error_Ok) {
        if (Handle thumbnail = FittingThumbnail(source, primary_id, handle.get(), plans.front()))
            handle = std::move(thumbnail);
    }
    return DecodeHandle(handle.get(), in, name, plans, request.to_srgb, options);
}

}  // namespace nuthumb
