// A library kept in sync, run again with nothing changed: 20,000 files in 2,000
// folders, a first run with --update (2 threads) into a fresh destination, then
// the re-run (listing, record, a look at each photo and thumbnail) against
// `find` listing the same tree with sizes and times. The goal: the re-run
// within 3x of find, and under 2% of the first run. Two libraries: 1 x 1 BMPs,
// whose first run costs little more than its files, and 1024 x 768 JPEG photos
// (one picture written 20,000 times: the same decode work per file).
//
//   build/bench/bench_sync_rerun [temp-parent-folder]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/bench_util.h"
#include "codecs/jpeg_encoder.h"
#include "run/run_folder.h"
#include "tests/support/recording_host.h"
#include "tests/support/thumb_jobs.h"

namespace {

namespace fs = std::filesystem;
using nuthumb::bench::BestSeconds;
using nuthumb::bench::Numbered;
using nuthumb::bench::ScratchDir;
using nuthumb::bench::WriteFile;

class BenchHost : public nuthumb::RecordingHost {
public:
    int ParallelJobs() const override { return 2; }
};

constexpr int kFiles = 20000, kFolders = 2000;

void MakeTree(const std::string& src, const std::string& bytes, const char* extension) {
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = src + "/d" + std::to_string(f / 10) + "/d" + std::to_string(f);
        fs::create_directories(folder);
        for (int i = f; i < kFiles; i += kFolders) WriteFile(folder + "/" + Numbered(i) + extension, bytes);
    }
}

// A 1024 x 768 JPEG with gradients and fine detail, about the bytes per pixel
// of a camera's photo.
std::string PhotoJpeg() {
    nuthumb::Image image;
    image.width = 1024;
    image.height = 768;
    image.bits_per_pixel = 24;
    image.pixels.resize(image.stride() * 768);
    std::uint32_t noise = 12345;
    for (std::int32_t y = 0; y < 768; ++y) {
        std::uint8_t* row = image.row_from_top(y);
        for (std::int32_t x = 0; x < 1024; ++x) {
            noise = noise * 1664525u + 1013904223u;
            row[3 * x] = static_cast<std::uint8_t>(x / 4 + (noise >> 28));
            row[3 * x + 1] = static_cast<std::uint8_t>(y / 3 + (noise >> 27));
            row[3 * x + 2] = static_cast<std::uint8_t>((x + y) / 8);
        }
    }
    const std::vector<std::uint8_t> bytes = nuthumb::EncodeJpeg(image, 90);
    return std::string(bytes.begin(), bytes.end());
}

// One run; throws unless it made `made` thumbnails and found the rest up to date.
double RunSeconds(const nuthumb::ThumbJob& job, std::size_t made) {
    BenchHost host;
    host.overwrite_mode = nuthumb::OverwriteMode::kAlways;
    nuthumb::RunCounts counts;
    const double seconds = BestSeconds(1, [&] { nuthumb::RunFolder(host, job, &counts); });
    if (counts.made != made || counts.made + counts.up_to_date != kFiles || !host.errors.empty())
        throw std::runtime_error("the run did not do what was expected");
    return seconds;
}

double FindSeconds(const std::string& src) {
    const std::string command = "find '" + src + "' -printf '%s %T@ %p\\n' >/dev/null";
    return BestSeconds(1, [&] {
        if (std::system(command.c_str()) != 0) throw std::runtime_error("find failed");
    });
}

void BenchLibrary(const std::string& parent, const char* what, const std::string& bytes, nuthumb::ImageFormat from,
                  const char* extension) {
    const ScratchDir dir(parent);
    const std::string src = dir.path() + "/photos", dst = dir.path() + "/thumbs";
    fs::create_directory(src);
    fs::create_directory(dst);
    MakeTree(src, bytes, extension);
    nuthumb::ThumbJob job = nuthumb::test::FolderJob(src, from, dst, nuthumb::test::kJpg, 50);
    job.recursive = true;
    job.update = true;
    const double first = RunSeconds(job, kFiles);
    // Best of five rounds, the two interleaved, so that a busy moment of the
    // machine does not fall on one side only.
    double rerun = 1e30, find = 1e30;
    for (int round = 0; round < 5; ++round) {
        rerun = std::min(rerun, RunSeconds(job, 0));
        find = std::min(find, FindSeconds(src));
    }
    std::printf("%d %s in %d folders: first run %.2f s, re-run with nothing changed %.1f ms "
                "(%.2f%% of the first), find -printf %.1f ms (re-run %.2fx find)\n",
                kFiles, what, kFolders, first, rerun * 1e3, 100 * rerun / first, find * 1e3, rerun / find);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string parent = argc > 1 ? argv[1] : fs::temp_directory_path().string();
        BenchLibrary(parent, "1 x 1 BMPs", nuthumb::bench::TinyBitmap(), nuthumb::test::kBmp, ".bmp");
        BenchLibrary(parent, "1024 x 768 JPEGs", PhotoJpeg(), nuthumb::test::kJpg, ".jpg");
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_sync_rerun: %s\n", error.what());
        return 1;
    }
}
