#pragma once
// The floor the benchmarks measure against: read a JPEG file and decode every
// scanline at full size with libjpeg-turbo alone, with the conversion's DCT and
// smoothing settings. Library errors end the process (the default error manager).
#include <algorithm>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bench/bench_util.h"
#include "platform/file_io.h"
#include "platform/path_util.h"

namespace nuthumb::bench {

inline void DecodeFull(const std::string& path) {
    std::vector<std::uint8_t> file = ReadWholeFile(path);
    jpeg_decompress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_FLOAT;
    info.do_block_smoothing = TRUE;
    jpeg_start_decompress(&info);
    const std::size_t stride = std::size_t{info.output_width} * info.output_components;
    auto pixels = std::make_unique_for_overwrite<std::uint8_t[]>(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.get() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

// The .jpg files of a folder (any letter case), sorted; empty when there are none.
inline std::vector<std::string> JpegFilesIn(const std::string& folder) { return FilesIn(folder, ".jpg"); }

// The photo folder a benchmark is given (default: bench-data/photos) and its
// .jpg files; none, after saying where photos come from, when it has none.
struct PhotoSet {
    std::string folder;
    std::vector<std::string> files;
};
inline PhotoSet PhotosOfArguments(int argc, char** argv) {
    PhotoSet set{argc > 1 ? argv[1] : "bench-data/photos", {}};
    set.files = JpegFilesIn(set.folder);
    if (set.files.empty()) std::printf("%s: no .jpg files (see bench/fetch_photos.sh)\n", set.folder.c_str());
    return set;
}

}  // namespace nuthumb::bench
