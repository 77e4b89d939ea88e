// Converts a folder of JPEG photos to JPEG thumbnails 160 px high through
// MakeThumbnail on one thread, and decodes the same files with libjpeg-turbo alone
// at full size with the same settings (the floor). Each phase runs in a forked
// child, so that its peak memory (ru_maxrss) is its own; the best of three
// interleaved runs counts. Usage: bench_make_thumbnail [photo folder]
// (default bench-data/photos, filled by bench/fetch_photos.sh).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/floor_decode.h"
#include "run/file_turn.h"
#include "run/run_host.h"
#include "platform/path_util.h"
#include "tests/support/child_process.h"
#include "tests/support/thumb_jobs.h"

namespace {

using nuthumb::RunHost;

class QuietHost : public RunHost {
public:
    int failures = 0;
    bool CancelFlag() const override { return false; }
    void SetCancelFlag(bool) override {}
    void AppendError(const std::string&) override { ++failures; }
    void SetProgressMax(int) override {}
    void SetProgressPosition(int) override {}
    void SetStatusText(const std::string&) override {}
    void ProcessPendingMessages() override {}
    nuthumb::OverwriteMode LiveOverwriteMode() const override { return nuthumb::OverwriteMode::kAlways; }
    bool ReportLoadErrors() const override { return false; }
    void ShowError(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
    bool AskOkCancel(const std::string&) override { return true; }
};

int MakeThumbnails(const std::vector<std::string>& files, const std::string& out) {
    QuietHost host;
    for (const std::string& path : files) {
        const std::string name = nuthumb::FileNamePart(path);
        nuthumb::MakeThumbnail(host, path, out + "/" + name, nuthumb::test::Scale(160, nuthumb::test::kJpg));
    }
    return host.failures;
}

struct Measure {
    double seconds = 0;
    long peak_kib = 0;
    bool ok = false;
};

// Runs `phase` in a child; the time comes back as its report (empty when a file
// failed), the peak memory from the child's end.
template <class Phase>
Measure InChild(Phase phase) {
    const nuthumb::test::ChildEnd end = nuthumb::test::RunChild({}, [&] {
        const auto start = std::chrono::steady_clock::now();
        const int failures = phase();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return failures == 0 ? std::to_string(seconds) : std::string();
    });
    Measure m;
    m.peak_kib = end.peak_kib;
    char* rest = nullptr;
    m.seconds = std::strtod(end.report.c_str(), &rest);
    m.ok = end.exit_code == 0 && !end.report.empty() && *rest == '\0';
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const std::string folder = argc > 1 ? argv[1] : "bench-data/photos";
    const std::vector<std::string> files = nuthumb::bench::JpegFilesIn(folder);
    if (files.empty()) {
        std::fprintf(stderr, "no .jpg files in %s (run bench/fetch_photos.sh)\n", folder.c_str());
        return 1;
    }
    std::string out = (fs::temp_directory_path() / "nuthumb-bench-XXXXXX").string();
    if (!::mkdtemp(out.data())) return 1;

    Measure floor{1e30, 0, true}, thumbs{1e30, 0, true};
    for (int run = 0; run < 3; ++run) {
        const Measure f = InChild([&] {
            for (const std::string& path : files) nuthumb::bench::DecodeFull(path);
            return 0;
        });
        const Measure t = InChild([&] { return MakeThumbnails(files, out); });
        floor = {std::min(floor.seconds, f.seconds), std::max(floor.peak_kib, f.peak_kib),
                 floor.ok && f.ok};
        thumbs = {std::min(thumbs.seconds, t.seconds), std::max(thumbs.peak_kib, t.peak_kib),
                  thumbs.ok && t.ok};
    }
    std::error_code ec;
    fs::remove_all(out, ec);
    if (!floor.ok || !thumbs.ok) {
        std::fprintf(stderr, "a phase failed (floor %s, thumbnails %s)\n", floor.ok ? "ok" : "failed",
                     thumbs.ok ? "ok" : "failed");
        return 1;
    }
    std::printf("%zu photos in %s, best of 3 interleaved runs\n", files.size(), folder.c_str());
    std::printf("floor (full-size decode): %8.3f s  peak %8.1f MiB\n", floor.seconds,
                floor.peak_kib / 1024.0);
    std::printf("MakeThumbnail (160 px):   %8.3f s  peak %8.1f MiB\n", thumbs.seconds,
                thumbs.peak_kib / 1024.0);
    const double time_ratio = thumbs.seconds / floor.seconds;
    const double memory_ratio = static_cast<double>(thumbs.peak_kib) / floor.peak_kib;
    std::printf("time ratio   %.3f (target <= 1.10)\n", time_ratio);
    std::printf("memory ratio %.3f (target <= 1.25)\n", memory_ratio);
    return 0;
}
