// Folder-run overhead: the wildcard listing of a large folder, and the per-file
// cost of a run without the conversion itself (every target exists and
// OverwriteMode 0 skips it, leaving listing, pre-check, progress, status and
// pumping). Each at two sizes, to show that the cost grows linearly.
//
//   build/bench/bench_folder_run [temp-parent-folder]
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "run/list_files.h"
#include "run/run_folder.h"
#include "tests/support/recording_host.h"
#include "tests/support/thumb_jobs.h"

namespace {

namespace fs = std::filesystem;
using nuthumb::bench::BestSeconds;
using nuthumb::bench::Numbered;
using nuthumb::bench::ScratchDir;
using nuthumb::bench::TinyBitmap;
using nuthumb::bench::WriteFile;

void BenchListing(const std::string& parent, int files) {
    ScratchDir dir(parent);
    for (int i = 0; i < files; ++i) WriteFile(dir.path() + "/" + Numbered(i) + ".jpg", "");
    // Decoys that the pattern or the type test must reject.
    for (int i = 0; i < files / 10; ++i) WriteFile(dir.path() + "/" + Numbered(i) + ".bmp", "");
    nuthumb::RecordingHost host;
    std::vector<std::string> list;
    const double seconds = BestSeconds(3, [&] { nuthumb::ListFiles(list, dir.path() + "/*.jpg", true, host); });
    if (list.size() != static_cast<std::size_t>(files)) throw std::runtime_error("listing lost files");
    std::printf("ListFiles  %7d empty .jpg files: %8.1f ms  (%.3f us per file)\n", files, seconds * 1e3,
                seconds * 1e6 / files);
}

void BenchSkippedRun(const std::string& parent, int files) {
    ScratchDir dir(parent);
    const std::string src = dir.path() + "/in", dst = dir.path() + "/out";
    fs::create_directory(src);
    fs::create_directory(dst);
    const std::string bitmap = TinyBitmap();
    for (int i = 0; i < files; ++i) {
        WriteFile(src + "/" + Numbered(i) + ".bmp", bitmap);
        WriteFile(dst + "/" + Numbered(i) + ".jpg", "");
    }
    nuthumb::RecordingHost host;
    host.overwrite_mode = nuthumb::OverwriteMode::kNever;
    int result = 0;
    const double seconds = BestSeconds(3, [&] {
        result = nuthumb::RunFolder(host, nuthumb::test::FolderJob(src, nuthumb::test::kBmp, dst, nuthumb::test::kJpg, 50));
    });
    if (result != nuthumb::kRunFinished || host.progress_position != files || !host.errors.empty())
        throw std::runtime_error("run did not skip every file");
    std::printf("RunFolder  %7d tiny BMPs, all skipped: %8.1f ms  (%.3f us per file)\n", files,
                seconds * 1e3, seconds * 1e6 / files);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string parent = argc > 1 ? argv[1] : fs::temp_directory_path().string();
    try {
        BenchListing(parent, 25'000);
        BenchListing(parent, 100'000);
        BenchSkippedRun(parent, 2'500);
        BenchSkippedRun(parent, 10'000);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_folder_run: %s\n", error.what());
        return 1;
    }
    return 0;
}
