#include "codecs/jpeg_markers.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

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

// Moves up to `count` bytes of the segment into `out` (within its capacity) and
// returns how many it moved.
std::size_t ReadInto(j_decompress_ptr info, std::vector<std::uint8_t>& out, std::size_t count) {
    jpeg_source_mgr& src = *info->src;
    const std::size_t before = out.size();
    while (count > 0) {
        if (src.bytes_in_buffer == 0) src.fill_input_buffer(info);
        const std::size_t n = std::min({count, src.bytes_in_buffer, out.capacity() - out.size()});
        if (n == 0) break;
        out.insert(out.end(), src.next_input_byte, src.next_input_byte + n);
        src.next_input_byte += n;
        src.bytes_in_buffer -= n;
        count -= n;
    }
    return out.size() - before;
}

// Called from inside the library: owns nothing, allocates nothing.
boolean ReadApp1(j_decompress_ptr info) {
    auto& d = *static_cast<JpegDecodeState*>(info->client_data);
    std::size_t length = static_cast<std::size_t>(NextByte(info)) << 8;
    length |= NextByte(info);
    length = length >= 2 ? length - 2 : 0;  // the length counts its own two bytes
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

// The ICC profile the APP2 segments hold, put together by the library (which
// allocates it with malloc); false when there is none. Owns nothing.
bool ReadProfile(JpegDecodeState& d, JOCTET** profile, unsigned* length) {
    if (setjmp(d.trap.jump)) d.ThrowFailure();
    return jpeg_read_icc_profile(&d.info, profile, length) != FALSE;
}

}  // namespace

void KeepExifSegment(JpegDecodeState& d) {
    // The largest APP1 payload; allocated before the library runs.
    d.exif.reserve(0xFFFF - 2);
    d.info.client_data = &d;
    jpeg_set_marker_processor(&d.info, JPEG_APP0 + 1, ReadApp1);
}

Orientation OrientationOf(const JpegDecodeState& d) { return d.exif_found ? ExifOrientation(d.exif) : 1; }

void KeepProfileSegments(JpegDecodeState& d) { jpeg_save_markers(&d.info, JPEG_APP0 + 2, 0xFFFF); }

std::optional<SrgbConversion> ProfileConversion(JpegDecodeState& d) {
    JOCTET* profile = nullptr;
    unsigned length = 0;
    if (!ReadProfile(d, &profile, &length)) return std::nullopt;
    const std::unique_ptr<JOCTET, decltype(&std::free)> owned(profile, &std::free);
    return SrgbConversion::FromProfile({owned.get(), length});
}

}  // namespace nuthumb
