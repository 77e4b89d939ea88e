#pragma once
// How many threads a run may usefully start.
#include <optional>
#include <string>
#include <string_view>

namespace nuthumb {

// The cores this process may use, at least 1: those of its affinity mask (taskset,
// a container's cpuset), fewer when a cgroup v2 CPU quota (cpu.max) of its
// cgroup or of a cgroup above it allows less.
int OnlineCores();

// Threads of a run when the user names no number: OnlineCores(), at most
// kMaxDefaultJobs, since more workers than that only add memory.
inline constexpr int kMaxDefaultJobs = 16;
int DefaultParallelJobs();

// The cores a cpu.max text ("QUOTA PERIOD" in microseconds) allows: the quota
// over the period rounded up, at least 1. nullopt for "max" (no quota) and for
// a text that does not parse.
std::optional<int> CoresOfCpuMax(std::string_view cpu_max);

// The process's cgroup v2 path ("/user.slice/x.scope") from the text of
// /proc/self/cgroup, whose v2 line is "0::PATH"; nullopt without such a line.
std::optional<std::string> CgroupV2PathOf(std::string_view proc_self_cgroup);

}  // namespace nuthumb
