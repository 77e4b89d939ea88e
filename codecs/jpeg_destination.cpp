#include "codecs/jpeg_destination.h"

#include <cstddef>
#include <new>
#include <type_traits>

#include <jerror.h>

namespace nuthumb {
namespace {

static_assert(std::is_standard_layout_v<JpegVectorDestination> && offsetof(JpegVectorDestination, manager) == 0,
              "the library hands back a pointer to the manager, which must be the destination");

constexpr std::size_t kBlock = 64 * 1024;

JpegVectorDestination& DestinationOf(j_compress_ptr info) {
    return *reinterpret_cast<JpegVectorDestination*>(info->dest);
}

void Rewind(JpegVectorDestination& d) {
    d.manager.next_output_byte = d.block.data();
    d.manager.free_in_buffer = d.block.size();
}

// Appends the first `count` bytes of the block; past the reservation the vector
// grows, which may fail: that becomes the library's out-of-memory error, since
// no exception may cross its frames.
void Append(j_compress_ptr info, std::size_t count) {
    JpegVectorDestination& d = DestinationOf(info);
    bool failed = false;
    try {
        d.out->insert(d.out->end(), d.block.data(), d.block.data() + count);
    } catch (const std::bad_alloc&) {
        failed = true;
    }
    if (failed) ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
}

void InitDestination(j_compress_ptr info) { Rewind(DestinationOf(info)); }

boolean EmptyOutputBuffer(j_compress_ptr info) {
    Append(info, kBlock);
    Rewind(DestinationOf(info));
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    Append(info, kBlock - DestinationOf(info).manager.free_in_buffer);
}

}  // namespace

std::uint64_t MaxEncodedBytes(std::int32_t width, std::int32_t height) {
    // Every 16 x 16 block of 4:2:0 data (six 8 x 8 blocks) takes at most 768
    // bytes of entropy-coded data; the headers and tables fit in 2 KiB.
    const auto padded = [](std::int32_t n) { return (static_cast<std::uint64_t>(n) + 15) / 16 * 16; };
    return padded(width) * padded(height) * 3 + 2048;
}

void JpegVectorDestination::Prepare(std::vector<std::uint8_t>& target) {
    out = &target;
    block.resize(kBlock);
}

void JpegVectorDestination::InstallInto(jpeg_compress_struct& info) {
    manager.init_destination = InitDestination;
    manager.empty_output_buffer = EmptyOutputBuffer;
    manager.term_destination = TermDestination;
    info.dest = &manager;
}

}  // namespace nuthumb
