#pragma once
// Scratch folders, files and timing for the benchmark programs.
#include <fcntl.h>
#include <sys/resource.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/executable_path.h"
#include "platform/path_util.h"

namespace nuthumb::bench {

// The processor time of the reaped children (and theirs), in seconds.
inline double ChildrenCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A fresh folder that is removed with its content, even when the benchmark fails.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& parent) {
        std::string tmpl = parent + "/nuthumb-bench-XXXXXX";
        if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed in " + parent);
        path_ = tmpl;
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path);
    const bool ok = bytes.empty() || ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    if (!ok) throw std::runtime_error("cannot write " + path);
}

// The files of a folder whose extension is `extension` (lower case, with its dot)
// in any letter case, sorted; empty when there are none.
inline std::vector<std::string> FilesIn(const std::string& folder, const std::string& extension) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file() && AsciiLower(entry.path().extension().string()) == extension)
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string Numbered(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "img%06d", i);
    return name;
}

// A 1 x 1 24-bit BMP.
inline std::string TinyBitmap() {
    const unsigned char bytes[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0,
                                   1,   0,   0,  0, 1, 0, 24, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,
                                   0,   0,   0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0x80, 0x80, 0x80, 0};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// Whether `program` is found on PATH (a comparison's tool is optional).
inline bool Installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// nuthumb-cli of the build tree the benchmark runs from.
inline std::string BuiltCli() { return JoinPath(DirectoryPart(DirectoryPart(ExecutablePath())), "app/nuthumb-cli"); }

// For a measured program: its output would only slow it down on a terminal.
inline bool Silenced() { return std::freopen("/dev/null", "w", stdout) && std::freopen("/dev/null", "w", stderr); }

// A contender's best round: its least wall time, its largest peak memory, and
// whether every round succeeded.
struct Measure {
    double seconds = 1e30;
    long peak_kib = 0;
    bool ok = true;
};

template <typename F>
double BestSeconds(int repeats, F&& run) {
    using Clock = std::chrono::steady_clock;
    double best = 1e30;
    for (int r = 0; r < repeats; ++r) {
        const auto start = Clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace nuthumb::bench
