#pragma once
// Test JPEGs made on the spot with cjpeg from a generated picture: smooth gradients
// crossed by sharp edges and noise, so that upsampling, block smoothing and
// dithering all have something to change.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

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

}  // namespace nuthumb::test
