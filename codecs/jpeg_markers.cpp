#include "codecs/jpeg_markers.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "codecs/exif_orientation.h"

namespace nuthumb {
namespace {

// The next byte of the source; ours never suspends, and ends a cut file with a
// made-up end marker.
std::uint8_t NextByte(j_decompress_ptr info) {
    jpeg_source_mgr& src = *info->src;
    if (src.bytes_in_buffer == 0) src.fill_input_buffer(info);
    --src.bytes_in_buffer;
    return *src.next_input_byte++;
}

// Moves up to `count` bytes of the segment to `out` and returns how many it
// moved (fewer only where a cut file ends).
std::size_t CopyBytes(j_decompress_ptr info, std::uint8_t* out, std::size_t count) {
    jpeg_source_mgr& src = *info->src;
    std::size_t done = 0;
    while (done < count) {
        if (src.bytes_in_buffer == 0) src.fill_input_buffer(info);
        const std::size_t n = std::min(count - done, src.bytes_in_buffer);
        if (n == 0) break;
        std::memcpy(out + done, src.next_input_byte, n);
        src.next_input_byte += n;
        src.bytes_in_buffer -= n;
        done += n;
    }
    return done;
}

// Moves up to `count` bytes of the segment into `out` (within its capacity) and
// returns how many it moved.
std::size_t ReadInto(j_decompress_ptr info, std::vector<std::uint8_t>& out, std::size_t count) {
    const std::size_t before = out.size();
    out.resize(before + std::min(count, out.capacity() - before));
    out.resize(before + CopyBytes(info, out.data() + before, out.size() - before));
    return out.size() - before;
}

// The length a segment gives, less its own two bytes.
std::size_t SegmentLength(j_decompress_ptr info) {
    std::size_t length = static_cast<std::size_t>(NextByte(info)) << 8;
    length |= NextByte(info);
    return length >= 2 ? length - 2 : 0;
}

// Called from inside the library: owns nothing, allocates nothing.
boolean ReadApp1(j_decompress_ptr info) {
    auto& d = *static_cast<JpegDecodeState*>(info->client_data);
    std::size_t length = SegmentLength(info);
    if (!d.exif_found) {
        d.exif.clear();
        length -= ReadInto(info, d.exif, std::min<std::size_t>(length, 6));
        if (IsExifPayload(d.exif)) {
            length -= ReadInto(info, d.exif, length);
            d.exif_found = true;
        }
    }
    if (length > 0) info->src->skip_input_data(info, static_cast<long>(length));
    return TRUE;
}

// Called from inside the library: keeps an APP2 segment only while it is part
// of an ICC profile ("ICC_PROFILE\0", its number, the count) and the profile
// stays within kMaxProfileBytes, in the library's own pool, whose failure ends
// the decode as every failure inside the library does. Any other APP2 segment
// (FlashPix data, or thousands of padding ones) is stepped over.
boolean ReadApp2(j_decompress_ptr info) {
    auto& d = *static_cast<JpegDecodeState*>(info->client_data);
    std::size_t length = SegmentLength(info);
    constexpr std::string_view kMark{"ICC_PROFILE\0", 12};
    std::array<std::uint8_t, kMark.size() + 2> head{};
    const std::size_t got = CopyBytes(info, head.data(), std::min(length, head.size()));
    length -= got;
    IccSegments& icc = d.icc;
    if (got == head.size() && std::memcmp(head.data(), kMark.data(), kMark.size()) == 0 && !icc.dropped) {
        if (length > kMaxProfileBytes - icc.bytes || icc.kept == icc.parts.size()) {
            icc.dropped = true;
        } else if (length > 0) {
            auto* data = static_cast<JOCTET*>(
                (*info->mem->alloc_large)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, length));
            const std::size_t copied = CopyBytes(info, data, length);
            icc.parts[icc.kept++] = {head[12], head[13], data, copied};
            icc.bytes += copied;
            length -= copied;
        }
    }
    if (length > 0) info->src->skip_input_data(info, static_cast<long>(length));
    return TRUE;
}

// The profile the segments make up in order, or nothing when they make none:
// numbered 1 to their count, each once, as the library's own reader wants them.
std::optional<std::vector<std::uint8_t>> AssembledProfile(const IccSegments& icc) {
    if (icc.dropped || icc.kept == 0 || icc.parts[0].count != icc.kept) return std::nullopt;
    std::array<const IccSegments::Part*, 256> in_order{};
    for (std::size_t i = 0; i < icc.kept; ++i) {
        const IccSegments::Part& part = icc.parts[i];
        if (part.count != icc.kept || part.number == 0 || part.number > icc.kept || in_order[part.number])
            return std::nullopt;
        in_order[part.number] = &part;
    }
    std::vector<std::uint8_t> profile;
    profile.reserve(icc.bytes);
    for (std::size_t n = 1; n <= icc.kept; ++n)
        profile.insert(profile.end(), in_order[n]->data, in_order[n]->data + in_order[n]->length);
    return profile;
}

}  // namespace

void KeepExifSegment(JpegDecodeState& d) {
    // The largest APP1 payload; allocated before the library runs.
    d.exif.reserve(0xFFFF - 2);
    d.info.client_data = &d;
    jpeg_set_marker_processor(&d.info, JPEG_APP0 + 1, ReadApp1);
}

Orientation OrientationOf(const JpegDecodeState& d) { return d.exif_found ? ExifOrientation(d.exif) : 1; }

void KeepProfileSegments(JpegDecodeState& d) {
    d.info.client_data = &d;
    jpeg_set_marker_processor(&d.info, JPEG_APP0 + 2, ReadApp2);
}

std::optional<SrgbConversion> ProfileConversion(JpegDecodeState& d) {
    const std::optional<std::vector<std::uint8_t>> profile = AssembledProfile(d.icc);
    if (!profile) return std::nullopt;
    return SrgbConversion::FromProfile(*profile);
}

}  // namespace nuthumb
