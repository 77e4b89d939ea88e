// The child helper that tests and benchmarks rely on to report a child's end
// truthfully: a hang or a deadlock there would hide the fault under test.
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace nuthumb::test {
namespace {

TEST(ChildProcessTest, FunctionReportsItsTextAnExceptionOrAFailedPreparation) {
    EXPECT_EQ(RunChild({}, [] { return std::string("done"); }).report, "done");

    const ChildEnd thrown = RunChild({}, []() -> std::string { throw std::runtime_error("no file"); });
    EXPECT_EQ(thrown.exit_code, 0);
    EXPECT_EQ(thrown.report, "throws: no file");

    const ChildEnd unprepared = RunChild({.prepare = [] { return false; }}, [] { return std::string("ran"); });
    EXPECT_EQ(unprepared.exit_code, kNotPrepared);
    EXPECT_EQ(unprepared.report, "");
}

// Each stream more than a pipe holds, stderr first: reading stdout to its end
// before stderr would wait for ever.
TEST(ChildProcessTest, ProgramWithBothStreamsFullDoesNotStall) {
    const ChildEnd end = RunChild({.capture_stdout = true, .capture_stderr = true, .seconds_allowed = 20},
                                  {"sh", "-c", "head -c 300000 /dev/zero >&2; head -c 200000 /dev/zero; exit 3"});
    EXPECT_EQ(end.signal, 0);
    EXPECT_EQ(end.exit_code, 3);
    EXPECT_EQ(end.err.size(), 300000u);
    EXPECT_EQ(end.out.size(), 200000u);
}

TEST(ChildProcessTest, TimeLimitHoldsAfterExec) {
    const ChildEnd end = RunChild({.seconds_allowed = 1}, {"sleep", "30"});
    EXPECT_EQ(end.signal, SIGALRM);
    EXPECT_EQ(end.status(), 128 + SIGALRM);
    EXPECT_LT(end.seconds, 20);
}

TEST(ChildProcessTest, PeakMemoryIsTheChilds) {
    const ChildEnd end = RunChild({}, [] {
        std::vector<char> block(std::size_t{64} << 20);
        for (std::size_t at = 0; at < block.size(); at += 4096) static_cast<volatile char&>(block[at]) = 1;
        return std::string();
    });
    EXPECT_EQ(end.exit_code, 0);
    EXPECT_GE(end.peak_kib, 64 * 1024);
}

TEST(ChildProcessTest, ChildNobodyWaitedForIsKilled) {
    pid_t pid = -1;
    {
        ChildProcess child({}, {"sleep", "30"});
        pid = child.pid();
        ASSERT_GT(pid, 0);
    }
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

}  // namespace
}  // namespace nuthumb::test
