#pragma once
// Test pictures as plain pixel arrays, written as Netpbm files for the
// independent encoders (pnmtopng, cwebp, heif-enc, avifenc) and read back from
// the reference decoders' PAM output (dwebp -pam, pngtopam -alphapam).
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "pixels/image.h"
#include "platform/file_io.h"
#include "tests/support/temp_dir.h"

namespace nuthumb::test {

// Samples top row first, `depth` a pixel (1 gray, 2 gray+alpha, 3 RGB, 4 RGBA),
// each up to `maxval` (two bytes a sample in the file above 255).
struct Picture {
    int width = 0, height = 0, depth = 3, maxval = 255;
    std::vector<std::uint16_t> samples;
    std::uint16_t at(int x, int y, int c) const {
        return samples[(static_cast<std::size_t>(y) * width + x) * depth + c];
    }
};

// A picture whose every sample is fill(x, y, channel) & maxval.
template <class Fill>
Picture MakePicture(int width, int height, int depth, int maxval, Fill fill) {
    Picture p{width, height, depth, maxval, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < depth; ++c) p.samples.push_back(static_cast<std::uint16_t>(fill(x, y, c) & maxval));
    return p;
}

inline void WritePam(const Picture& p, const std::string& path) {
    static const char* const kTypes[] = {"", "GRAYSCALE", "GRAYSCALE_ALPHA", "RGB", "RGB_ALPHA"};
    std::ofstream f(path, std::ios::binary);
    f << "P7\nWIDTH " << p.width << "\nHEIGHT " << p.height << "\nDEPTH " << p.depth << "\nMAXVAL " << p.maxval
      << "\nTUPLTYPE " << kTypes[p.depth] << "\nENDHDR\n";
    for (const std::uint16_t s : p.samples) {
        if (p.maxval > 255) f.put(static_cast<char>(s >> 8));
        f.put(static_cast<char>(s & 0xff));
    }
}

inline Picture ReadPam(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t end = text.find("ENDHDR\n");
    if (text.rfind("P7\n", 0) != 0 || end == std::string::npos) throw std::runtime_error("not a PAM file: " + path);
    std::istringstream header(text.substr(3, end - 3));
    Picture p;
    for (std::string key; header >> key;) {
        if (key == "WIDTH") header >> p.width;
        else if (key == "HEIGHT") header >> p.height;
        else if (key == "DEPTH") header >> p.depth;
        else if (key == "MAXVAL") header >> p.maxval;
        else std::getline(header, key);
    }
    const std::size_t sample_bytes = p.maxval > 255 ? 2 : 1;
    for (std::size_t at = end + 7; at + sample_bytes <= bytes.size(); at += sample_bytes)
        p.samples.push_back(sample_bytes == 2 ? static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]) : bytes[at]);
    if (p.samples.size() != static_cast<std::size_t>(p.width) * p.height * p.depth)
        throw std::runtime_error("short PAM file: " + path);
    return p;
}

// Runs a shell command line; throws when it fails.
inline void RunTool(const std::string& command) {
    if (std::system(("(" + command + ") >/dev/null 2>&1").c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// `picture` as a HEIC file at `path`, made by heif-enc at `quality` (by way of
// path.pam and path.png beside it).
inline void WriteHeic(const Picture& picture, const std::string& path, int quality = 60) {
    WritePam(picture, path + ".pam");
    RunTool("pamtopng " + path + ".pam > " + path + ".png");
    RunTool("heif-enc -q " + std::to_string(quality) + " " + path + ".png -o " + path);
}

// The image's pixels as 8-bit RGBA, top row first (alpha 255 without alpha),
// for comparing with a Picture of depth 4 and maxval 255.
inline Picture RgbaOf(const Image& image) {
    Picture p{image.width, image.height, 4, 255, {}};
    const int bytes = image.bits_per_pixel / 8;
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.row_from_top(y);
        for (int x = 0; x < image.width; ++x, row += bytes) {
            p.samples.insert(p.samples.end(), {row[2], row[1], row[0]});
            p.samples.push_back(image.alpha ? row[3] : 255);
        }
    }
    return p;
}

// A picture of any depth as 8-bit RGBA: gray spread, 16 bits rounded to 8.
inline Picture AsRgba8(const Picture& in) {
    Picture p{in.width, in.height, 4, 255, {}};
    const auto eight = [&](std::uint16_t v) {
        return static_cast<std::uint16_t>((std::uint32_t{v} * 255 + in.maxval / 2) / in.maxval);
    };
    for (int y = 0; y < in.height; ++y) {
        for (int x = 0; x < in.width; ++x) {
            const bool gray = in.depth <= 2;
            for (int c = 0; c < 3; ++c) p.samples.push_back(eight(in.at(x, y, gray ? 0 : c)));
            p.samples.push_back(in.depth % 2 == 0 ? eight(in.at(x, y, in.depth - 1)) : 255);
        }
    }
    return p;
}

// The largest difference of two samples at one place; -1 when the sizes differ.
inline int MaxDifference(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.depth != b.depth) return -1;
    int worst = 0;
    for (std::size_t i = 0; i < a.samples.size(); ++i)
        worst = std::max(worst, std::abs(int{a.samples[i]} - int{b.samples[i]}));
    return worst;
}

}  // namespace nuthumb::test
