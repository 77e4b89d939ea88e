#include "platform/online_cores.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/executable_path.h"
#include "tests/support/child_process.h"

namespace nuthumb {
namespace {

TEST(OnlineCores, QuotaOfCpuMax) {
    const struct {
        const char* text;
        std::optional<int> cores;
    } rows[] = {
        {"max 100000\n", std::nullopt},  // no quota
        {"150000 100000\n", 2},          // one and a half cores need two threads
        {"50000 100000\n", 1},           // less than a core still runs one
        {"99999999999999999999 1\n", std::nullopt},  // out of range: ignored
        {"100000 0\n", std::nullopt},
        {"-100000 100000\n", std::nullopt},
        {"100000\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(CoresOfCpuMax(row.text), row.cores) << row.text;
}

TEST(OnlineCores, CgroupV2PathAmongTheHierarchies) {
    EXPECT_EQ(CgroupV2PathOf("0::/user.slice/session-2.scope\n"), "/user.slice/session-2.scope");
    EXPECT_EQ(CgroupV2PathOf("4:memory:/x\n1:cpu:/y\n0::/\n"), "/");  // hybrid: v1 lines before
    EXPECT_EQ(CgroupV2PathOf("4:memory:/x\n1:cpu,cpuacct:/y\n"), std::nullopt);  // v1 only
    EXPECT_EQ(CgroupV2PathOf("0::\n10::/x"), std::nullopt);
}

TEST(OnlineCores, AtLeastOneAndTheDefaultAtMostSixteen) {
    const int cores = OnlineCores();
    EXPECT_GE(cores, 1);
    EXPECT_LE(cores, ::sysconf(_SC_NPROCESSORS_CONF));
    EXPECT_EQ(DefaultParallelJobs(), std::min(cores, kMaxDefaultJobs));
}

// Started again under `taskset -c 0`, this process may use one core only,
// however many the machine has.
TEST(OnlineCores, FollowsTheAffinityMaskThatTasksetSets) {
    if (std::getenv("NUTHUMB_UNDER_TASKSET")) {
        EXPECT_EQ(OnlineCores(), 1);
        EXPECT_EQ(DefaultParallelJobs(), 1);
        return;
    }
    if (::access("/usr/bin/taskset", X_OK) != 0) GTEST_SKIP() << "no taskset";
    const test::ChildEnd end = test::RunChild(
        {.prepare = [] { return ::setenv("NUTHUMB_UNDER_TASKSET", "1", 1) == 0; },
         .capture_stdout = true,
         .seconds_allowed = 60},
        test::Command{"/usr/bin/taskset", "-c", "0", ExecutablePath(),
                      "--gtest_filter=OnlineCores.FollowsTheAffinityMaskThatTasksetSets"});
    EXPECT_EQ(end.status(), 0) << end.out;
    EXPECT_NE(end.out.find("[  PASSED  ] 1 test"), std::string::npos) << end.out;
}

}  // namespace
}  // namespace nuthumb
