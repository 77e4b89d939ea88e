#pragma once
// A libjpeg source manager that reads a ByteSource a chunk at a time, so that a
// JPEG file is decoded without ever being held whole. It behaves as the library's
// memory source does: a file that ends early gets a warning and a made-up end
// marker, an empty one is a fatal error.
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <vector>

#include <jpeglib.h>

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

    // Makes `info` (already created) read from `source`, which must outlive it.
    void InstallInto(jpeg_decompress_struct& info, const ByteSource& source);
};

}  // namespace nuthumb
