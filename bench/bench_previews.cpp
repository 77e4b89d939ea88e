// What embedded previews save: 160 px high JPEG thumbnails (--filter area,
// --jobs 1) of HEIC photos that carry a thumbnail item and of DNG files that
// carry a full-size JPEG preview, with --previews auto against --previews never
// (the primary image decoded, the RAW developed), and vipsthumbnail (Debian
// libvips-tools, installed by hand; left out when missing) on the same HEIC
// files, once over all of them and once a process per file. Each contender runs
// in a child process of its own, best of three interleaved rounds; CPU time is
// the children's user and system time.
//
// The files are made in a temporary folder from the photos in PHOTOS_DIR
// (default bench-data/photos, see bench/fetch_photos.sh), the four largest:
// 2560 x 1600 HEIC files with heif-enc -t 320 (a 320 x 200 thumbnail item), and
// 6000 x 4000 DNG files (a synthetic sensor mosaic) whose preview is the photo
// at 6000 x 4000, JPEG quality 90; the same previews as JPEG files show what
// decoding the preview alone costs, the floor of the RAW run.
// Usage: bench_previews [PHOTOS_DIR]
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/cli_job.h"
#include "platform/file_io.h"
#include "tests/support/child_process.h"
#include "tests/support/dng_file.h"

namespace {

namespace fs = std::filesystem;

struct Cost {
    double wall = 1e30, cpu = 1e30;
    bool ok = true;
};

struct Contender {
    std::string name;
    std::function<bool(const std::string& out)> run;  // true when it succeeded
    Cost best;
};

bool Shell(const std::string& command) { return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0; }

// The `count` largest photos of the folder.
std::vector<std::string> LargestPhotos(const std::string& folder, std::size_t count) {
    std::vector<std::string> photos = nuthumb::bench::FilesIn(folder, ".jpg");
    std::sort(photos.begin(), photos.end(),
              [](const auto& a, const auto& b) { return fs::file_size(a) > fs::file_size(b); });
    photos.resize(std::min(count, photos.size()));
    return photos;
}

bool NuthumbRun(const std::string& folder, nuthumb::ImageFormat format, nuthumb::PreviewUse previews,
                const std::string& out) {
    return nuthumb::bench::RunCliJob(folder, format, out, [previews](nuthumb::CliOptions& options) {
        options.filter = nuthumb::ScaleFilter::kArea;
        options.previews = previews;
        options.jobs = 1;
    }).ok;
}

bool VipsRun(const std::vector<std::string>& files, bool process_per_file, const std::string& out) {
    bool ok = true;
    for (std::size_t i = 0; i < files.size(); i += process_per_file ? 1 : files.size()) {
        nuthumb::test::Command args{"vipsthumbnail", "--size", "x160", "-o", out + "/%s.jpg[Q=90]"};
        args.insert(args.end(), files.begin() + static_cast<std::ptrdiff_t>(i),
                    process_per_file ? files.begin() + static_cast<std::ptrdiff_t>(i + 1) : files.end());
        ok = nuthumb::test::RunChild({.prepare = nuthumb::bench::Silenced}, args).exit_code == 0 && ok;
    }
    return ok;
}

void Measure(const char* title, std::vector<Contender>& contenders, std::size_t files) {
    const std::string parent = fs::temp_directory_path().string();
    for (int round = 0; round < 3; ++round)
        for (Contender& c : contenders) {
            const nuthumb::bench::ScratchDir out(parent);
            ::sync();
            const double cpu_before = nuthumb::bench::ChildrenCpuSeconds();
            const double wall = nuthumb::bench::BestSeconds(1, [&] { c.best.ok = c.run(out.path()) && c.best.ok; });
            c.best.cpu = std::min(c.best.cpu, nuthumb::bench::ChildrenCpuSeconds() - cpu_before);
            c.best.wall = std::min(c.best.wall, wall);
            c.best.ok = c.best.ok && nuthumb::bench::FilesIn(out.path(), ".jpg").size() == files;
        }
    std::printf("%s: %zu files, best of 3 interleaved rounds\n", title, files);
    std::printf("  %-44s %9s %9s %12s %11s\n", "", "wall", "CPU", "CPU a file", "CPU/never");
    for (const Contender& c : contenders)
        std::printf("  %-44s %8.3fs %8.3fs %10.1fms %10.3fx%s\n", c.name.c_str(), c.best.wall, c.best.cpu,
                    1000 * c.best.cpu / static_cast<double>(files), c.best.cpu / contenders[1].best.cpu,
                    c.best.ok ? "" : "  (failed)");
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    using nuthumb::ImageFormat;
    using nuthumb::PreviewUse;
    const std::vector<std::string> photos = LargestPhotos(argc > 1 ? argv[1] : "bench-data/photos", 4);
    if (photos.empty()) {
        std::printf("no photos (see bench/fetch_photos.sh)\n");
        return 1;
    }
    const nuthumb::bench::ScratchDir work(fs::temp_directory_path().string());
    const std::string heic = work.path() + "/heic", raw = work.path() + "/raw", jpeg = work.path() + "/jpeg";
    for (const std::string& folder : {heic, raw, jpeg}) fs::create_directories(folder);
    const auto light = [](int x, int y, int c) {
        return static_cast<std::uint16_t>(4000 + (x * 7 + y * 5 + c * 20000) % 40000);
    };
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const std::string n = work.path() + "/" + std::to_string(i), preview = jpeg + "/" + std::to_string(i) + ".jpg";
        if (!Shell("djpeg -pnm '" + photos[i] + "' | pamscale -width 2560 -height 1600 | pnmtopng > " + n + ".png && "
                   "heif-enc -q 80 -t 320 " + n + ".png -o " + heic + "/" + std::to_string(i) + ".heic && "
                   "djpeg -pnm '" + photos[i] + "' | pamscale -width 6000 -height 4000 | cjpeg -quality 90 > " + preview)) {
            std::printf("cannot make the files (heif-enc, netpbm, libjpeg-turbo-progs)\n");
            return 1;
        }
        nuthumb::test::DngSpec spec{6000, 4000, light, true, 1, {}};
        spec.previews.push_back({nuthumb::ReadWholeFile(preview), 6000, 4000});
        nuthumb::WriteFileAtomic(raw + "/" + std::to_string(i) + ".dng", nuthumb::test::MakeDng(spec));
    }
    const std::vector<std::string> heic_files = nuthumb::bench::FilesIn(heic, ".heic");

    std::vector<Contender> heif = {
        {"nuthumb --previews auto", [&](const std::string& out) { return NuthumbRun(heic, ImageFormat::kHeic, PreviewUse::kAuto, out); }, {}},
        {"nuthumb --previews never", [&](const std::string& out) { return NuthumbRun(heic, ImageFormat::kHeic, PreviewUse::kNever, out); }, {}},
    };
    if (nuthumb::bench::Installed("vipsthumbnail")) {
        heif.push_back({"vipsthumbnail, one process", [&](const std::string& out) { return VipsRun(heic_files, false, out); }, {}});
        heif.push_back({"vipsthumbnail, a process per file", [&](const std::string& out) { return VipsRun(heic_files, true, out); }, {}});
    } else {
        std::printf("vipsthumbnail is not installed (Debian libvips-tools): measuring NuThumb alone\n\n");
    }
    Measure("HEIC 2560 x 1600 with a 320 x 200 thumbnail item, 160 px high", heif, heic_files.size());

    std::vector<Contender> dng = {
        {"nuthumb --previews auto", [&](const std::string& out) { return NuthumbRun(raw, ImageFormat::kRaw, PreviewUse::kAuto, out); }, {}},
        {"nuthumb --previews never (half-size develop)", [&](const std::string& out) { return NuthumbRun(raw, ImageFormat::kRaw, PreviewUse::kNever, out); }, {}},
        {"nuthumb on the previews alone, as JPEG files", [&](const std::string& out) { return NuthumbRun(jpeg, ImageFormat::kJpeg, PreviewUse::kAuto, out); }, {}},
    };
    Measure("DNG 6000 x 4000 with a full-size JPEG preview, 160 px high", dng, photos.size());
    return 0;
}
