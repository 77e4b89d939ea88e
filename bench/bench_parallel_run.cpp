// A folder run on every core against the floor and against common tools, side by
// side in one run. For each folder (default: bench-data/photos and bench-data/crops,
// filled by bench/fetch_photos.sh and bench/make_crops.sh) it measures, each in a
// child process of its own, best of three interleaved rounds:
//   floor      libjpeg-turbo alone decoding every file at full size on one thread,
//              with the conversion's DCT and smoothing settings;
//   nuthumb-cli --jobs 1 and with its default (one thread per core), 160 px high
//              JPEG thumbnails into an empty folder;
//   gm mogrify -sample and vipsthumbnail to the same size, when installed
//              (Debian graphicsmagick, libvips-tools).
// Usage: bench_parallel_run [FOLDER ...]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/floor_decode.h"
#include "platform/online_cores.h"
#include "tests/support/child_process.h"

namespace {

namespace fs = std::filesystem;

using nuthumb::test::ChildEnd;
using nuthumb::bench::Silenced;
using nuthumb::test::RunChild;
using nuthumb::bench::Measure;

// One contender: runs once, in a child of its own, writing into `out`.
struct Phase {
    Phase(std::string name, std::function<ChildEnd(const std::string& out)> run)
        : name(std::move(name)), run(std::move(run)) {}
    std::string name;
    std::function<ChildEnd(const std::string& out)> run;
    Measure best;
};

void BenchFolder(const std::string& folder, const std::string& cli) {
    const std::vector<std::string> files = nuthumb::bench::JpegFilesIn(folder);
    if (files.empty()) {
        std::printf("%s: no .jpg files (see bench/fetch_photos.sh, bench/make_crops.sh)\n\n", folder.c_str());
        return;
    }

    std::vector<Phase> phases;
    phases.emplace_back("floor: full-size decode, 1 thread", [&](const std::string&) {
        return RunChild({}, [&] {
            for (const std::string& path : files) nuthumb::bench::DecodeFull(path);
            return std::string();
        });
    });
    for (const char* jobs : {"1", ""}) {
        const std::string name = *jobs ? std::string("nuthumb-cli --jobs 1")
                                       : "nuthumb-cli (--jobs " + std::to_string(nuthumb::DefaultParallelJobs()) + ")";
        phases.emplace_back(name, [&, jobs = std::string(jobs)](const std::string& out) {
            std::vector<std::string> args{cli, "--quiet", "--size", "160", folder, out};
            if (!jobs.empty()) args.insert(args.begin() + 1, {"--jobs", jobs});
            return RunChild({.prepare = Silenced}, args);
        });
    }
    if (nuthumb::bench::Installed("gm"))
        phases.emplace_back("gm mogrify -sample", [&](const std::string& out) {
            // mogrify puts each file under the output folder by its path as given.
            std::vector<std::string> args{"gm", "mogrify", "-output-directory", out, "-sample", "x160",
                                          "-quality", "90"};
            for (const std::string& path : files) args.push_back(fs::path(path).filename().string());
            return RunChild({.prepare = [&] { return Silenced() && ::chdir(folder.c_str()) == 0; }}, args);
        });
    if (nuthumb::bench::Installed("vipsthumbnail"))
        phases.emplace_back("vipsthumbnail", [&](const std::string& out) {
            std::vector<std::string> args{"vipsthumbnail", "--size", "x160", "-o", out + "/%s.jpg[Q=90]"};
            args.insert(args.end(), files.begin(), files.end());
            return RunChild({.prepare = Silenced}, args);
        });

    const std::string parent = fs::temp_directory_path().string();
    for (int round = 0; round < 3; ++round) {
        for (Phase& phase : phases) {
            const nuthumb::bench::ScratchDir out(parent);
            // Written files from the round before must not be flushed on this one's time.
            ::sync();
            const ChildEnd end = phase.run(out.path());
            phase.best.seconds = std::min(phase.best.seconds, end.seconds);
            phase.best.peak_kib = std::max(phase.best.peak_kib, end.peak_kib);
            phase.best.ok = phase.best.ok && end.exit_code == 0;
        }
    }

    const Measure& floor = phases.front().best;
    std::printf("%s: %zu JPEG files, best of 3 interleaved rounds\n", folder.c_str(), files.size());
    std::printf("  %-36s %9s %6s %11s %6s\n", "", "wall", "ratio", "peak", "ratio");
    for (const Phase& phase : phases)
        std::printf("  %-36s %8.3fs %6.2f %8.1fMiB %6.2f%s\n", phase.name.c_str(), phase.best.seconds,
                    phase.best.seconds / floor.seconds, phase.best.peak_kib / 1024.0,
                    static_cast<double>(phase.best.peak_kib) / floor.peak_kib, phase.best.ok ? "" : "  (failed)");
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cli = nuthumb::bench::BuiltCli();
    std::vector<std::string> folders(argv + 1, argv + argc);
    if (folders.empty()) folders = {"bench-data/photos", "bench-data/crops"};
    for (const std::string& folder : folders) BenchFolder(folder, cli);
    return 0;
}
