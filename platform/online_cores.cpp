#include "platform/online_cores.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "platform/file_io.h"

namespace nuthumb {
namespace {

struct CpuSetFree {
    void operator()(cpu_set_t* set) const noexcept { CPU_FREE(set); }
};

// The affinity mask's size is not known beforehand: a set too small for the
// kernel's CPU count gives EINVAL, so grow it until it fits.
std::optional<int> AffinityCores() {
    for (int cpus = 1024; cpus <= (1 << 22); cpus *= 2) {
        const std::unique_ptr<cpu_set_t, CpuSetFree> set(CPU_ALLOC(cpus));
        if (!set) return std::nullopt;
        const std::size_t size = CPU_ALLOC_SIZE(cpus);
        CPU_ZERO_S(size, set.get());
        if (::sched_getaffinity(0, size, set.get()) == 0) return CPU_COUNT_S(size, set.get());
        if (errno != EINVAL) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> TextOfFile(const std::string& path) {
    try {
        const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
        return std::string(bytes.begin(), bytes.end());
    } catch (const IoError&) {
        return std::nullopt;
    }
}

bool ParseCount(std::string_view text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// The smallest quota of the cgroup and every cgroup above it: a limit set on a
// parent (a slice, a container) binds its children too.
std::optional<int> QuotaCores() {
    const std::optional<std::string> cgroups = TextOfFile("/proc/self/cgroup");
    if (!cgroups) return std::nullopt;
    std::optional<std::string> path = CgroupV2PathOf(*cgroups);
    // A path outside this cgroup namespace ("/../x") has no folder to look in.
    if (!path || path->find("/..") != std::string::npos) return std::nullopt;
    std::optional<int> least;
    for (;;) {
        std::string file = "/sys/fs/cgroup";
        file += *path;
        file += "/cpu.max";
        if (const auto text = TextOfFile(file))
            if (const auto cores = CoresOfCpuMax(*text)) least = std::min(least.value_or(*cores), *cores);
        if (path->empty() || *path == "/") break;
        path->erase(path->rfind('/'));
    }
    return least;
}

}  // namespace

std::optional<int> CoresOfCpuMax(std::string_view cpu_max) {
    while (!cpu_max.empty() && (cpu_max.back() == '\n' || cpu_max.back() == ' ')) cpu_max.remove_suffix(1);
    const std::size_t blank = cpu_max.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    std::uint64_t quota = 0;
    std::uint64_t period = 0;
    if (!ParseCount(cpu_max.substr(0, blank), quota) || !ParseCount(cpu_max.substr(blank + 1), period) ||
        period == 0)
        return std::nullopt;
    const std::uint64_t cores = quota / period + (quota % period != 0 ? 1 : 0);
    return static_cast<int>(std::clamp<std::uint64_t>(cores, 1, std::numeric_limits<int>::max()));
}

std::optional<std::string> CgroupV2PathOf(std::string_view proc_self_cgroup) {
    while (!proc_self_cgroup.empty()) {
        const std::size_t end = proc_self_cgroup.find('\n');
        const std::string_view line = proc_self_cgroup.substr(0, end);
        if (line.substr(0, 3) == "0::" && line.size() > 3 && line[3] == '/') return std::string(line.substr(3));
        if (end == std::string_view::npos) break;
        proc_self_cgroup.remove_prefix(end + 1);
    }
    return std::nullopt;
}

int OnlineCores() {
    int cores = 0;
    if (const auto affinity = AffinityCores()) {
        cores = *affinity;
    } else {
        const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
        cores = online > 0 ? static_cast<int>(std::min<long>(online, std::numeric_limits<int>::max())) : 1;
    }
    if (const auto quota = QuotaCores()) cores = std::min(cores, *quota);
    return std::max(cores, 1);
}

int DefaultParallelJobs() { return std::min(OnlineCores(), kMaxDefaultJobs); }

}  // namespace nuthumb
