// Peak memory of folder runs of images at the pixel limit, by number of jobs: the
// decodes running at once share one memory budget, so more jobs must not mean
// more memory. Each run is a child process of its own (peak resident memory from
// the kernel), into an empty folder.
//   thumbnails    160 px JPEG thumbnails, --jobs 1, 2 and 8;
//   convert-only  whole images to BMP, --jobs 1, 2 and 3 (each target is 805 MB).
// The sources are progressive 4:4:4 JPEGs of 16384 x 16384 whose scans hold no
// data (tiny files, but every coefficient is kept: 1.6 GB per decode).
// Usage: bench_memory_budget [FILES [SCANS]]   (default 6 files of 1 scan)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "platform/file_io.h"
#include "tests/support/child_process.h"
#include "tests/support/hostile_files.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

void Measure(const std::string& cli, const std::string& in, const std::string& out_root, const char* what,
             std::vector<std::string> options, int jobs) {
    const std::string out = out_root + "/" + what + std::to_string(jobs);
    fs::create_directory(out);
    std::vector<std::string> command = {cli, "--quiet", "--overwrite", "always", "--jobs", std::to_string(jobs)};
    command.insert(command.end(), options.begin(), options.end());
    command.push_back(in);
    command.push_back(out);
    const nuthumb::test::ChildEnd end = nuthumb::test::RunChild({.prepare = nuthumb::bench::Silenced}, command);
    std::printf("%-13s --jobs %d   peak %7.2f GB   %6.1f s   exit %d\n", what, jobs, end.peak_kib / 1048576.0,
                end.seconds, end.status());
    std::fflush(stdout);
    fs::remove_all(out);
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 6;
    const int scans = argc > 2 ? std::atoi(argv[2]) : 1;
    const std::string cli = nuthumb::bench::BuiltCli();
    nuthumb::TempDir dir;
    const std::string in = dir.path() + "/in";
    fs::create_directory(in);
    const std::vector<std::uint8_t> image = nuthumb::test::RepeatedScanJpeg(16384, 16384, scans, true);
    for (int i = 0; i < files; ++i) nuthumb::WriteFileAtomic(in + "/" + std::to_string(i) + ".jpg", image);
    std::printf("%d progressive 4:4:4 JPEGs of 16384 x 16384, %d scan(s) each\n", files, scans);
    for (const int jobs : {1, 2, 8}) Measure(cli, in, dir.path(), "thumbnails", {"--size", "160"}, jobs);
    for (const int jobs : {1, 2, 3})
        Measure(cli, in, dir.path(), "convert-only", {"--convert-only", "--to", "bmp"}, jobs);
    return 0;
}
