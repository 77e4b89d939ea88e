#pragma once
// Test JPEGs made on the spot with cjpeg from a generated picture: smooth gradients
// crossed by sharp edges and noise, so that upsampling, block smoothing and
// dithering all have something to change.
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/file_io.h"
#include "tests/support/temp_dir.h"

namespace nuthumb::test {

inline std::vector<std::uint8_t> MakeTestJpeg(int width, int height, const std::string& options,
                                              bool gray = false) {
    TempDir dir;
    const std::string in = dir.path() + (gray ? "/in.pgm" : "/in.ppm");
    const std::string out = dir.path() + "/out.jpg";
    {
        std::ofstream f(in, std::ios::binary);
        f << (gray ? "P5\n" : "P6\n") << width << ' ' << height << "\n255\n";
        std::uint32_t noise = 12345;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                noise = noise * 1103515245u + 12345u;
                const int edge = ((x / 7 + y / 5) % 2) * 60;
                const int channels[3] = {(x * 255 / width + edge) % 256, (y * 255 / height) % 256,
                                         static_cast<int>((noise >> 16) & 0xff)};
                for (int c = 0; c < (gray ? 1 : 3); ++c)
                    f.put(static_cast<char>(gray ? (channels[0] + channels[2]) / 2 : channels[c]));
            }
        }
    }
    const std::string command = "/usr/bin/cjpeg " + options + " -outfile " + out + " " + in;
    if (std::system(command.c_str()) != 0) throw std::runtime_error("cjpeg failed: " + command);
    return ReadWholeFile(out);
}

// A JPEG made in memory by libjpeg: `write(info)` sets the image up and writes
// its data between the compressor's creation and jpeg_finish_compress.
inline std::vector<std::uint8_t> CompressInMemory(const std::function<void(jpeg_compress_struct&)>& write) {
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    write(info);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// Encodes straight through libjpeg: `fill(y, row)` writes input row y, with
// `components` bytes per pixel in colour space `space`.
inline std::vector<std::uint8_t> EncodeDirect(int width, int height, int components,
                                              J_COLOR_SPACE space, int quality, bool float_dct,
                                              const std::function<void(int, std::uint8_t*)>& fill) {
    return CompressInMemory([&](jpeg_compress_struct& info) {
        info.image_width = static_cast<JDIMENSION>(width);
        info.image_height = static_cast<JDIMENSION>(height);
        info.input_components = components;
        info.in_color_space = space;
        jpeg_set_defaults(&info);
        if (float_dct) info.dct_method = JDCT_FLOAT;
        jpeg_set_quality(&info, quality, TRUE);
        jpeg_start_compress(&info, TRUE);
        std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * components);
        for (int y = 0; y < height; ++y) {
            fill(y, row.data());
            JSAMPROW p = row.data();
            jpeg_write_scanlines(&info, &p, 1);
        }
    });
}

// A CMYK JPEG as Adobe writes it (inverted: 255 means no ink); cjpeg cannot make
// one. `pixel(x, y, cmyk)` fills each pixel's four bytes.
inline std::vector<std::uint8_t> MakeCmykJpeg(
    int width, int height, const std::function<void(int, int, std::uint8_t*)>& pixel) {
    return EncodeDirect(width, height, 4, JCS_CMYK, 95, false, [&](int y, std::uint8_t* row) {
        for (int x = 0; x < width; ++x) pixel(x, y, row + 4 * x);
    });
}

// The file decoded by libjpeg at scale eighths/8 with the codec's DCT and
// smoothing settings: every sample from the top, in `space`; `width` and `height`
// get the output's size.
inline std::vector<std::uint8_t> DecodeAtScale(const std::vector<std::uint8_t>& file, unsigned eighths,
                                               J_COLOR_SPACE space, int& width, int& height) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    info.scale_num = eighths, info.scale_denom = 8;
    info.dct_method = JDCT_FLOAT;
    info.do_block_smoothing = TRUE;
    info.out_color_space = space;
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width), height = static_cast<int>(info.output_height);
    const std::size_t stride = std::size_t{info.output_width} * static_cast<std::size_t>(info.output_components);
    std::vector<std::uint8_t> samples(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = samples.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return samples;
}

}  // namespace nuthumb::test
