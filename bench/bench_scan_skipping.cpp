// The area filter on progressive photos, fed only the scans its scale reads,
// against the same filter fed every scan, against nearest, and against the floor
// (libjpeg-turbo alone decoding every file at full size on one thread), on the
// progressive photos, the baseline photos and the whole set. Each phase runs in
// its own child process (so its peak memory is its own), two threads taking the
// files in turn, each file read from disk, decoded to a 160 px high thumbnail and
// encoded as a JPEG (not written); best of three interleaved rounds.
// Usage: bench_scan_skipping [FOLDER]   (default: bench-data/photos)
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/floor_decode.h"
#include "codecs/jpeg_decoder.h"
#include "codecs/jpeg_encoder.h"
#include "image/load_thumbnail.h"
#include "platform/source_file.h"
#include "tests/support/child_process.h"

namespace {

using nuthumb::test::ChildEnd;
using nuthumb::test::RunChild;
using Files = std::vector<std::string>;

struct Phase {
    const char* name;
    std::function<void(const Files&)> run;
};

struct Result {
    double seconds = 1e30;
    long peak_kib = 0;
};

// Thumbnails of `files` on two threads.
void Thumbnails(const Files& files, nuthumb::ScaleFilter filter, bool every_scan) {
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        nuthumb::Conversion conversion{nuthumb::ImageFormat::kJpeg, 160, nuthumb::Basis::kHeight, true};
        conversion.photo.filter = filter;
        nuthumb::DecodeOptions options;
        options.read_every_scan = every_scan;
        for (std::size_t i; (i = next++) < files.size();) {
            const nuthumb::SourceFile source(files[i], std::uint64_t{1} << 31);
            const nuthumb::Decoded decoded =
                nuthumb::LoadThumbnail(source, nuthumb::ImageFormat::kJpeg, conversion, options);
            nuthumb::EncodeJpeg(decoded.image, 90, decoded.progressive);
        }
    };
    std::thread other(work);
    work();
    other.join();
}

bool IsProgressive(const std::string& path) {
    const nuthumb::SourceFile source(path, std::uint64_t{1} << 31);
    return nuthumb::JpegDecoder(source).progressive();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "bench-data/photos";
    const Files all = nuthumb::bench::JpegFilesIn(folder);
    if (all.empty()) {
        std::printf("%s: no .jpg files (see bench/fetch_photos.sh)\n", folder.c_str());
        return 1;
    }
    Files progressive, baseline;
    for (const std::string& path : all) (IsProgressive(path) ? progressive : baseline).push_back(path);

    using nuthumb::ScaleFilter;
    const Phase phases[] = {
        {"floor: full-size decode, 1 thread", [](const Files& f) { for (const auto& p : f) nuthumb::bench::DecodeFull(p); }},
        {"--filter nearest, 2 threads", [](const Files& f) { Thumbnails(f, ScaleFilter::kNearest, false); }},
        {"--filter area, every scan, 2 threads", [](const Files& f) { Thumbnails(f, ScaleFilter::kArea, true); }},
        {"--filter area, scans read, 2 threads", [](const Files& f) { Thumbnails(f, ScaleFilter::kArea, false); }},
    };
    constexpr std::size_t kPhases = std::size(phases);
    const struct {
        const char* name;
        const Files& files;
    } sets[] = {{"progressive", progressive}, {"baseline", baseline}, {"mixed", all}};
    for (const auto& set : sets) {
        if (set.files.empty()) continue;
        Result results[kPhases];
        for (int round = 0; round < 3; ++round)
            for (std::size_t p = 0; p < kPhases; ++p) {
                const ChildEnd end = RunChild({}, [&] {
                    phases[p].run(set.files);
                    return std::string();
                });
                if (end.exit_code != 0 || !end.report.empty()) {
                    std::printf("%s failed: %s\n", phases[p].name, end.report.c_str());
                    return 1;
                }
                results[p].seconds = std::min(results[p].seconds, end.seconds);
                results[p].peak_kib = std::max(results[p].peak_kib, end.peak_kib);
            }
        std::printf("%s: %zu photos, best of 3 interleaved rounds\n", set.name, set.files.size());
        for (std::size_t p = 0; p < kPhases; ++p)
            std::printf("  %-40s %7.3f s %5.2f x floor   peak %6.1f MiB %5.2f x floor\n", phases[p].name,
                        results[p].seconds, results[p].seconds / results[0].seconds, results[p].peak_kib / 1024.0,
                        static_cast<double>(results[p].peak_kib) / static_cast<double>(results[0].peak_kib));
    }
    return 0;
}
