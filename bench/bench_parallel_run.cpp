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
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/floor_decode.h"
#include "platform/executable_path.h"
#include "platform/file_io.h"
#include "platform/online_cores.h"
#include "platform/path_util.h"

namespace {

namespace fs = std::filesystem;

struct Measure {
    double seconds = 1e30;
    long peak_kib = 0;
    bool ok = true;
};

// Runs `child` (which returns an exit status) in a forked process; the wall time
// and the child's peak memory come from the parent's clock and wait4.
Measure InChild(const std::function<int()>& child) {
    std::fflush(nullptr);  // or the child prints the parent's buffered lines again
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(child());
    int status = 0;
    rusage usage{};
    Measure m;
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return {1e30, 0, false};
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.peak_kib = usage.ru_maxrss;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return m;
}

int Exec(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) return 126;
    ::execvp(argv[0], argv.data());
    return 127;
}

bool Installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

struct Phase {
    Phase(std::string name, std::function<int(const std::string& out)> run)
        : name(std::move(name)), run(std::move(run)) {}
    std::string name;
    std::function<int(const std::string& out)> run;
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
                          for (const std::string& path : files) nuthumb::bench::DecodeFull(path);
                          return 0;
                      });
    for (const char* jobs : {"1", ""}) {
        const std::string name = *jobs ? std::string("nuthumb-cli --jobs 1")
                                       : "nuthumb-cli (--jobs " + std::to_string(nuthumb::OnlineCores()) + ")";
        phases.emplace_back(name, [&, jobs = std::string(jobs)](const std::string& out) {
                              std::vector<std::string> args{cli, "--quiet", "--size", "160", folder, out};
                              if (!jobs.empty()) args.insert(args.begin() + 1, {"--jobs", jobs});
                              return Exec(args);
                          });
    }
    if (Installed("gm"))
        phases.emplace_back("gm mogrify -sample", [&](const std::string& out) {
            // mogrify puts each file under the output folder by its path as given.
            if (::chdir(folder.c_str()) != 0) return 126;
            std::vector<std::string> args{"gm", "mogrify", "-output-directory", out, "-sample", "x160",
                                          "-quality", "90"};
            for (const std::string& path : files) args.push_back(fs::path(path).filename().string());
            return Exec(args);
        });
    if (Installed("vipsthumbnail"))
        phases.emplace_back("vipsthumbnail", [&](const std::string& out) {
                              std::vector<std::string> args{"vipsthumbnail", "--size", "x160", "-o",
                                                            out + "/%s.jpg[Q=90]"};
                              args.insert(args.end(), files.begin(), files.end());
                              return Exec(args);
                          });

    const std::string parent = fs::temp_directory_path().string();
    for (int round = 0; round < 3; ++round) {
        for (Phase& phase : phases) {
            const nuthumb::bench::ScratchDir out(parent);
            // Written files from the round before must not be flushed on this one's time.
            ::sync();
            const Measure m = InChild([&] { return phase.run(out.path()); });
            phase.best.seconds = std::min(phase.best.seconds, m.seconds);
            phase.best.peak_kib = std::max(phase.best.peak_kib, m.peak_kib);
            phase.best.ok = phase.best.ok && m.ok;
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
    const std::string cli =
        nuthumb::JoinPath(nuthumb::DirectoryPart(nuthumb::DirectoryPart(nuthumb::ExecutablePath())), "cli/nuthumb-cli");
    std::vector<std::string> folders(argv + 1, argv + argc);
    if (folders.empty()) folders = {"bench-data/photos", "bench-data/crops"};
    for (const std::string& folder : folders) BenchFolder(folder, cli);
    return 0;
}
