#pragma once
// A libjpeg source manager that reads a ByteSource a chunk at a time, so that a
// JPEG file is decoded without ever being held whole. It behaves as the library's
// memory source does: a file that ends early gets a warning and a made-up end
// marker, an empty one is a fatal error. It can leave out byte ranges (scans the
// decode does not need), so that the library never sees them.
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <vector>

#include <jpeglib.h>

#include "codecs/jpeg_scan_choice.h"
#include "platform/byte_source.h"

namespace nuthumb {

struct JpegStreamSource {
    // The first member, so that the library's pointer to it is a pointer to us.
    jpeg_source_mgr manager{};
    const ByteSource* bytes = nullptr;
    std::uint64_t next = 0;  // where the next chunk starts
    std::vector<std::uint8_t> buffer;
    // The system's reason when the source could not be read (the decode then fails
    // with a fatal error); empty otherwise.
    char read_error[256] = {};
    bool ended = false;  // the made-up end marker has been handed out
    std::vector<ByteRange> left_out;  // rising, from the position below on
    std::size_t next_left_out = 0;    // the first of them not yet passed

    // Makes `info` (already created) read from `source`, which must outlive it.
    void InstallInto(jpeg_decompress_struct& info, const ByteSource& source);

    // Where in the source the library's next byte lies; meaningless once ended.
    std::uint64_t position() const { return next - manager.bytes_in_buffer; }
    // From now on the library never sees the bytes of `ranges`, which must be
    // rising, apart, and lie after position(). The bytes it already holds are
    // handed out again from the source, through the new filter.
    void LeaveOut(std::vector<ByteRange> ranges);
};

}  // namespace nuthumb
