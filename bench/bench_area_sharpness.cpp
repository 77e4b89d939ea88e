// How sharp the area filter's thumbnails of JPEG photos are, and what they cost.
// For each photo: the thumbnail `--filter area` makes (decoded at a reduced DCT
// scale, then averaged) against the area reduction of the photo's full-size
// decode, as PSNR over B, G and R; then the lowest and the mean PSNR, and the
// time of each way (one thread, in this process, best of three rounds; the file
// is read into memory once, so no disk enters).
// Usage: bench_area_sharpness [FOLDER [SIZE [height|width|larger]]]
//   defaults: bench-data/photos 240 larger
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/floor_decode.h"
#include "image/load_thumbnail.h"
#include "pixels/box_filter.h"
#include "platform/byte_source.h"
#include "platform/file_io.h"

namespace {

using namespace nuthumb;

Image Decode(const std::vector<std::uint8_t>& file, const Conversion& conversion) {
    const MemoryBytes bytes(file);
    return LoadThumbnail(bytes, ImageFormat::kJpeg, conversion, DecodeOptions{}).image;
}

// The reference: every pixel of the full decode averaged by the same area filter.
// `full_size` gets the decode's size.
Image AreaOfFullDecode(const std::vector<std::uint8_t>& file, const Conversion& conversion, std::int32_t width,
                       std::int32_t height, std::string& full_size) {
    Conversion whole = conversion;
    whole.resize = false;
    const Image full = Decode(file, whole);
    if (full.bits_per_pixel != 24 && full.bits_per_pixel != 32) {
        std::fprintf(stderr, "a %d-bit decode is not compared\n", full.bits_per_pixel);
        std::exit(1);
    }
    full_size = std::to_string(full.width) + "x" + std::to_string(full.height);
    Image reference;
    reference.width = width;
    reference.height = height;
    reference.top_down = true;
    reference.bits_per_pixel = 32;
    reference.pixels.assign(reference.stride() * static_cast<std::size_t>(height), 0);
    BoxFilter filter(full.width, full.height, reference);
    for (std::int32_t y = 0; y < full.height; ++y) filter.AddRow(y, full.row_from_top(y), full.bits_per_pixel / 8);
    filter.Finish();
    return reference;
}

// Over B, G and R of two 32-bit images of one size; infinity when they are equal.
double Psnr(const Image& a, const Image& b, double* squared_error) {
    double error = 0;
    for (std::int32_t y = 0; y < a.height; ++y) {
        const std::uint8_t* ra = a.row_from_top(y);
        const std::uint8_t* rb = b.row_from_top(y);
        for (std::int32_t x = 0; x < a.width * 4; ++x) {
            if (x % 4 == 3) continue;
            const double d = static_cast<double>(ra[x]) - rb[x];
            error += d * d;
        }
    }
    *squared_error = error;
    const double samples = 3.0 * a.width * a.height;
    return error == 0 ? std::numeric_limits<double>::infinity() : 10 * std::log10(255.0 * 255.0 * samples / error);
}

Basis BasisNamed(const std::string& name) {
    if (name == "height") return Basis::kHeight;
    if (name == "width") return Basis::kWidth;
    if (name == "larger") return Basis::kLarger;
    std::fprintf(stderr, "basis: height, width or larger\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    Conversion conversion;
    conversion.size = argc > 2 ? std::atoi(argv[2]) : 240;
    conversion.basis = BasisNamed(argc > 3 ? argv[3] : "larger");
    conversion.photo.filter = ScaleFilter::kArea;
    const std::vector<std::string> photos = bench::PhotosOfArguments(argc, argv).files;
    if (photos.empty()) return 2;
    std::printf("%-28s %11s %9s %8s %9s %9s\n", "photo", "source", "thumb", "PSNR", "area ms", "full ms");
    double lowest = std::numeric_limits<double>::infinity(), sum = 0, all_error = 0, all_samples = 0;
    double area_seconds = 0, full_seconds = 0;
    for (const std::string& path : photos) {
        const std::vector<std::uint8_t> file = ReadWholeFile(path);
        Image thumb;
        const double area = bench::BestSeconds(3, [&] { thumb = Decode(file, conversion); });
        Image reference;
        std::string source;
        const double full = bench::BestSeconds(
            3, [&] { reference = AreaOfFullDecode(file, conversion, thumb.width, thumb.height, source); });
        double error = 0;
        const double psnr = Psnr(thumb, reference, &error);
        lowest = std::min(lowest, psnr);
        sum += psnr;
        all_error += error;
        all_samples += 3.0 * thumb.width * thumb.height;
        area_seconds += area;
        full_seconds += full;
        const std::string shown = std::to_string(thumb.width) + "x" + std::to_string(thumb.height);
        std::printf("%-28s %11s %9s %8.2f %9.1f %9.1f\n", std::filesystem::path(path).filename().c_str(),
                    source.c_str(), shown.c_str(), psnr, area * 1e3, full * 1e3);
    }
    const double pooled = 10 * std::log10(255.0 * 255.0 * all_samples / all_error);
    std::printf("%zu photos, %d %s: lowest %.2f dB, mean %.2f dB (all pixels %.2f dB); "
                "area %.0f ms, full decode + area %.0f ms (%.2fx)\n",
                photos.size(), conversion.size, argc > 3 ? argv[3] : "larger", lowest,
                sum / static_cast<double>(photos.size()), pooled, area_seconds * 1e3, full_seconds * 1e3,
                area_seconds / full_seconds);
    return 0;
}
