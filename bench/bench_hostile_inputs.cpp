// Times each hostile source of the hostile-input tests through MakeThumbnail (a
// JPEG thumbnail 100 px high), each in its own child process so that its peak
// memory (ru_maxrss) is its own. A child gets 3 GiB of address space and 120 s,
// so that a source that would take the machine's memory or block for ever ends
// as a line of the report. Usage: bench_hostile_inputs [temporary folder parent]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "run/file_turn.h"
#include "platform/file_io.h"
#include "tests/support/child_process.h"
#include "tests/support/hostile_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/thumb_jobs.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned kSecondsAllowed = 120;
constexpr rlim_t kAddressSpace = rlim_t{3} << 30;

struct Case {
    const char* what;
    std::string name;                                 // the source's file name
    std::function<void(const std::string&)> make;     // writes it at the given path
};

void Sparse(const std::string& path, off_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::ftruncate(fd, size) != 0) std::perror(path.c_str());
    if (fd >= 0) ::close(fd);
}

// A 24-bit bitmap header for width x height followed by a hole up to `size` bytes.
void SparseBitmap(const std::string& path, std::int32_t width, std::int32_t height, off_t size) {
    nuthumb::WriteFileAtomic(path, nuthumb::test::HeaderOnlyBitmap(width, height));
    if (::truncate(path.c_str(), size) != 0) std::perror(path.c_str());
}

// Converts `source` in a child; prints the outcome, the time and the peak memory.
void Measure(const Case& c, const std::string& source, const std::string& target) {
    const auto limit_space = [] {
        const rlimit space{kAddressSpace, kAddressSpace};
        ::setrlimit(RLIMIT_AS, &space);
        return true;
    };
    const nuthumb::test::ChildEnd end =
        nuthumb::test::RunChild({.prepare = limit_space, .seconds_allowed = kSecondsAllowed}, [&] {
            nuthumb::RecordingHost host;
            host.report_load_errors = true;
            host.overwrite_mode = nuthumb::OverwriteMode::kAlways;
            const auto start = std::chrono::steady_clock::now();
            nuthumb::MakeThumbnail(host, source, target, nuthumb::test::Scale(100, nuthumb::test::kJpg));
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::string outcome = host.errors.empty() ? "converted" : "failed";
            if (!host.messages.empty()) {
                std::string text = host.messages[0].text;
                for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " | ");
                outcome += ": " + text;
            }
            return std::to_string(seconds) + " " + outcome;
        });
    const double peak_mib = end.peak_kib / 1024.0;
    if (end.signal != 0) {
        std::printf("%-44s  killed by signal %d%s, peak %.1f MiB\n", c.what, end.signal,
                    end.signal == SIGALRM ? " (still running after 120 s)" : "", peak_mib);
        return;
    }
    const std::size_t space = end.report.find(' ');
    if (end.exit_code != 0 || end.report.starts_with("throws: ")) {
        std::printf("%-44s  ended with %d: %s, peak %.1f MiB\n", c.what, end.exit_code, end.report.c_str(), peak_mib);
        return;
    }
    std::printf("%-44s %8.3f s  peak %7.1f MiB  %s\n", c.what, std::stod(end.report.substr(0, space)), peak_mib,
                end.report.substr(space + 1).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path parent = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    std::string folder = (parent / "nuthumb-hostile-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;

    const std::vector<Case> cases = {
        {"54-byte BMP declaring 16384 x 16384", "header.bmp",
         [](const std::string& p) { nuthumb::WriteFileAtomic(p, nuthumb::test::HeaderOnlyBitmap(16384, 16384)); }},
        {"2 MB RLE8 BMP, 16320 x 16384 of full runs", "runs.bmp",
         [](const std::string& p) { nuthumb::WriteFileAtomic(p, nuthumb::test::DenseRunLengthBitmap(16320, 16384)); }},
        {"1 GiB sparse BMP declaring 16384 x 16384", "hole.bmp",
         [](const std::string& p) { SparseBitmap(p, 16384, 16384, off_t{1} << 30); }},
        {"252 KB JPEG 16384 x 16384, 1,000 scans", "scans.jpg",
         [](const std::string& p) { nuthumb::WriteFileAtomic(p, nuthumb::test::RepeatedScanJpeg(16384, 16384, 1000)); }},
        {"2 GiB sparse file named .jpg", "sparse.jpg", [](const std::string& p) { Sparse(p, off_t{2} << 30); }},
        {"2 GiB sparse file named .bmp", "sparse.bmp", [](const std::string& p) { Sparse(p, off_t{2} << 30); }},
        {"link to /dev/zero named .jpg", "zero.jpg", [](const std::string& p) { fs::create_symlink("/dev/zero", p); }},
        {"named pipe named .jpg (no writer)", "pipe.jpg", [](const std::string& p) { ::mkfifo(p.c_str(), 0644); }},
    };
    std::printf("%zu hostile sources, MakeThumbnail to a 100 px JPEG, one child each\n", cases.size());
    for (const Case& c : cases) {
        const std::string source = folder + "/" + c.name;
        c.make(source);
        Measure(c, source, folder + "/t_" + c.name);
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
