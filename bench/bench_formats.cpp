// NuThumb's folder run on PNG and on WebP photos against vipsthumbnail, side by
// side in one run on two cores. For each folder (default: bench-data/png and
// bench-data/webp, filled by bench/fetch_photos.sh and then
// bench/make_format_photos.sh) it measures, each in a child process of its own,
// best of three interleaved rounds, 160 px high JPEG thumbnails (quality 90) into
// an empty temporary folder, the wall time and the peak memory of:
//   the command line's run (RunJob, as nuthumb-cli runs it after reading its
//   options) with --jobs 2, --filter nearest and --filter area;
//   vipsthumbnail as two processes at once, each over half of the files (halves
//   of equal bytes, largest first), peak memory the sum of both.
// vipsthumbnail comes from Debian's libvips-tools, installed by hand for this
// benchmark only; without it its column is left out with a note.
// Usage: bench_formats [PNG_FOLDER [WEBP_FOLDER]]
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/cli_job.h"
#include "tests/support/child_process.h"

namespace {

namespace fs = std::filesystem;
using nuthumb::bench::Silenced;
using nuthumb::test::ChildEnd;
using nuthumb::test::ChildProcess;
using nuthumb::bench::Measure;

struct Phase {
    std::string name;
    std::function<Measure(const std::string& out)> run;
    Measure best;
};

double LoadAverage() {
    double load = -1;
    return ::getloadavg(&load, 1) == 1 ? load : -1;
}

// The two halves of `files` with about equal bytes: each file, largest first, goes
// to the half that holds fewer, so neither process waits long for the other.
std::vector<std::string> Halves(std::vector<std::string> files, std::vector<std::string>& other) {
    const auto size = [](const std::string& path) { return fs::file_size(path); };
    std::sort(files.begin(), files.end(), [&](const auto& a, const auto& b) { return size(a) > size(b); });
    std::vector<std::string> first;
    std::uintmax_t first_bytes = 0, other_bytes = 0;
    for (const std::string& path : files) {
        if (first_bytes <= other_bytes) {
            first.push_back(path);
            first_bytes += size(path);
        } else {
            other.push_back(path);
            other_bytes += size(path);
        }
    }
    return first;
}

Measure NuthumbRun(const std::string& folder, nuthumb::ImageFormat format, nuthumb::ScaleFilter filter,
                   const std::string& out) {
    return nuthumb::bench::RunCliJob(folder, format, out, [filter](nuthumb::CliOptions& options) {
        options.filter = filter;
        options.jobs = 2;
    });
}

Measure VipsRun(const std::vector<std::string>& first, const std::vector<std::string>& second,
                const std::string& out) {
    const auto command = [&](const std::vector<std::string>& files) {
        nuthumb::test::Command args{"vipsthumbnail", "--size", "x160", "-o", out + "/%s.jpg[Q=90]"};
        args.insert(args.end(), files.begin(), files.end());
        return args;
    };
    const auto start = std::chrono::steady_clock::now();
    ChildProcess a({.prepare = Silenced}, command(first));
    ChildProcess b({.prepare = Silenced}, command(second));
    const ChildEnd end_a = a.Wait();
    const ChildEnd end_b = b.Wait();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {seconds, end_a.peak_kib + end_b.peak_kib, end_a.exit_code == 0 && end_b.exit_code == 0};
}

void BenchFolder(const std::string& folder, const char* extension, nuthumb::ImageFormat format, bool with_vips) {
    const std::vector<std::string> files = nuthumb::bench::FilesIn(folder, extension);
    if (files.empty()) {
        std::printf("%s: no %s files (see bench/make_format_photos.sh)\n\n", folder.c_str(), extension);
        return;
    }
    std::vector<Phase> phases;
    for (const auto& [filter, name] : {std::pair{nuthumb::ScaleFilter::kNearest, "nearest"},
                                       std::pair{nuthumb::ScaleFilter::kArea, "area"}})
        phases.push_back({std::string("nuthumb --filter ") + name + " --jobs 2",
                          [&, filter = filter](const std::string& out) { return NuthumbRun(folder, format, filter, out); },
                          {}});
    std::vector<std::string> second;
    const std::vector<std::string> first = Halves(files, second);
    if (with_vips)
        phases.push_back({"vipsthumbnail, 2 processes",
                          [&](const std::string& out) { return VipsRun(first, second, out); }, {}});

    const double load_before = LoadAverage();
    const std::string parent = fs::temp_directory_path().string();
    for (int round = 0; round < 3; ++round)
        for (Phase& phase : phases) {
            const nuthumb::bench::ScratchDir out(parent);
            // Written files from the phase before must not be flushed on this one's time.
            ::sync();
            const Measure end = phase.run(out.path());
            // A run that left a thumbnail out was no faster: it did less.
            const bool all_written = nuthumb::bench::FilesIn(out.path(), ".jpg").size() == files.size();
            phase.best.seconds = std::min(phase.best.seconds, end.seconds);
            phase.best.peak_kib = std::max(phase.best.peak_kib, end.peak_kib);
            phase.best.ok = phase.best.ok && end.ok && all_written;
        }

    std::printf("%s: %zu %s files, 160 px high JPEG thumbnails, best of 3 interleaved rounds "
                "(load average %.2f before, %.2f after)\n",
                folder.c_str(), files.size(), extension, load_before, LoadAverage());
    const Measure* vips = with_vips ? &phases.back().best : nullptr;
    std::printf("  %-34s %9s %11s%s\n", "", "wall", "peak", vips ? "   time and memory against vipsthumbnail" : "");
    for (const Phase& phase : phases) {
        std::printf("  %-34s %8.3fs %8.1fMiB", phase.name.c_str(), phase.best.seconds, phase.best.peak_kib / 1024.0);
        if (vips)
            std::printf("   %5.2f x %5.2f x", phase.best.seconds / vips->seconds,
                        static_cast<double>(phase.best.peak_kib) / vips->peak_kib);
        std::printf("%s\n", phase.best.ok ? "" : "  (failed)");
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string png = argc > 1 ? argv[1] : "bench-data/png";
    const std::string webp = argc > 2 ? argv[2] : "bench-data/webp";
    const bool with_vips = nuthumb::bench::Installed("vipsthumbnail");
    if (!with_vips)
        std::printf("vipsthumbnail is not installed (Debian libvips-tools): measuring NuThumb alone\n\n");
    BenchFolder(png, ".png", nuthumb::ImageFormat::kPng, with_vips);
    BenchFolder(webp, ".webp", nuthumb::ImageFormat::kWebp, with_vips);
    return 0;
}
