#pragma once
// A libjpeg destination manager that writes the encoded data straight into the
// vector the caller keeps. The library's memory destination doubles its buffer as
// it goes (holding old and new at once) and its result must be copied again; here
// the vector is reserved once for the largest possible result, whose untouched
// part costs no memory, so the data is held once.
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <vector>

#include <jpeglib.h>

namespace nuthumb {

// The most bytes a 4:2:0 JPEG of width x height can take, headers included.
std::uint64_t MaxEncodedBytes(std::int32_t width, std::int32_t height);

struct JpegVectorDestination {
    // The first member, so that the library's pointer to it is a pointer to us.
    jpeg_destination_mgr manager{};
    std::vector<std::uint8_t>* out = nullptr;
    std::vector<std::uint8_t> block;  // where the library writes before it is appended

    // Makes `info` (already created) write to the end of `target`, which must
    // outlive it; the block is allocated here, before any library call.
    void Prepare(std::vector<std::uint8_t>& target);
    void InstallInto(jpeg_compress_struct& info);
};

}  // namespace nuthumb
