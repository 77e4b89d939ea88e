// Tree runs against flat ones: 20,000 tiny BMPs in 2,000 folders against the
// same files in one folder (the listing, and a whole run on every core into a
// fresh destination), then the listing of a tree of 200,000 empty files (time,
// and the peak memory of a process that only lists it).
//
//   build/bench/bench_tree_run [temp-parent-folder]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_util.h"
#include "run/run_files.h"
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
    int jobs = 1;
    int ParallelJobs() const override { return jobs; }
};

// `files` files spread over `folders` folders, ten to a parent ("d0003/d0031"),
// or all in `src` when `folders` is 1.
void MakeFiles(const std::string& src, int files, int folders, const std::string& bytes, const char* extension) {
    for (int f = 0; f < folders; ++f) {
        std::string folder = src;
        if (folders > 1) {
            folder += "/d" + std::to_string(f / 10) + "/d" + std::to_string(f);
            fs::create_directories(folder);
        }
        for (int i = f; i < files; i += folders) WriteFile(folder + "/" + Numbered(i) + extension, bytes);
    }
}

nuthumb::ThumbJob Job(const std::string& src, const std::string& dst, bool recursive, nuthumb::ImageFormat from) {
    nuthumb::ThumbJob job = nuthumb::test::FolderJob(src, from, dst, nuthumb::test::kJpg, 50);
    job.recursive = recursive;
    return job;
}

double ListingSeconds(const nuthumb::ThumbJob& job, std::size_t files) {
    BenchHost host;
    std::size_t listed = 0;
    const double seconds = BestSeconds(1, [&] { listed = nuthumb::ListRunFiles(job, host).sources.size(); });
    if (listed != files) throw std::runtime_error("the listing lost files");
    return seconds;
}

// One run on every core (2 threads) into an empty destination.
double RunSeconds(const std::string& src, const std::string& dst, bool recursive, int files) {
    fs::create_directory(dst);
    BenchHost host;
    host.jobs = 2;
    int result = 0;
    const double seconds =
        BestSeconds(1, [&] { result = nuthumb::RunFolder(host, Job(src, dst, recursive, nuthumb::test::kBmp)); });
    if (result != nuthumb::kRunFinished || host.progress_position != files || !host.errors.empty())
        throw std::runtime_error("the run did not make every thumbnail");
    fs::remove_all(dst);
    return seconds;
}

void BenchTreeAgainstFlat(const std::string& parent, int files, int folders) {
    ScratchDir dir(parent);
    const std::string tree = dir.path() + "/tree", flat = dir.path() + "/flat";
    fs::create_directory(tree);
    fs::create_directory(flat);
    const std::string bitmap = nuthumb::bench::TinyBitmap();
    MakeFiles(tree, files, folders, bitmap, ".bmp");
    MakeFiles(flat, files, 1, bitmap, ".bmp");
    const std::size_t count = static_cast<std::size_t>(files);
    // Best of three rounds, the two interleaved, so that a busy moment of the
    // machine does not fall on one side only.
    double list_flat = 1e30, list_tree = 1e30, run_flat = 1e30, run_tree = 1e30;
    for (int round = 0; round < 3; ++round) {
        list_flat = std::min(list_flat, ListingSeconds(Job(flat, dir.path(), false, nuthumb::test::kBmp), count));
        list_tree = std::min(list_tree, ListingSeconds(Job(tree, dir.path(), true, nuthumb::test::kBmp), count));
    }
    std::printf("listing %d files: one folder %.1f ms, %d folders %.1f ms (%.2fx)\n", files, list_flat * 1e3,
                folders, list_tree * 1e3, list_tree / list_flat);
    for (int round = 0; round < 3; ++round) {
        run_flat = std::min(run_flat, RunSeconds(flat, dir.path() + "/out", false, files));
        run_tree = std::min(run_tree, RunSeconds(tree, dir.path() + "/out", true, files));
    }
    std::printf("run of %d tiny BMPs, 2 threads: one folder %.2f s, %d folders %.2f s (%.2fx)\n", files, run_flat,
                folders, run_tree, run_tree / run_flat);
}

// The peak resident memory of a child that does `work`, in MiB.
template <typename F>
double ChildPeakMib(F&& work) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        try {
            work();
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the measured child failed");
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BenchLargeTree(const std::string& parent, int files, int folders) {
    ScratchDir dir(parent);
    const std::string tree = dir.path() + "/photos";
    MakeFiles(tree, files, folders, "", ".jpg");
    const nuthumb::ThumbJob job = Job(tree, dir.path() + "/thumbs", true, nuthumb::test::kJpg);
    // Before anything is listed here: a child starts with what its parent holds.
    const double idle = ChildPeakMib([] {});
    const double listing = ChildPeakMib([&] {
        BenchHost host;
        if (nuthumb::ListRunFiles(job, host).sources.size() != static_cast<std::size_t>(files))
            throw std::runtime_error("the listing lost files");
    });
    double seconds = 1e30;
    for (int round = 0; round < 3; ++round)
        seconds = std::min(seconds, ListingSeconds(job, static_cast<std::size_t>(files)));
    std::printf("listing a tree of %d files in %d folders: %.0f ms (%.2f us per file), peak %.1f MiB "
                "(%.1f MiB for a child that does nothing)\n",
                files, folders, seconds * 1e3, seconds * 1e6 / files, listing, idle);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string parent = argc > 1 ? argv[1] : fs::temp_directory_path().string();
    try {
        BenchTreeAgainstFlat(parent, 20'000, 2'000);
        BenchLargeTree(parent, 200'000, 2'000);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_tree_run: %s\n", error.what());
        return 1;
    }
    return 0;
}
