#include <gtest/gtest.h>

#include "run/progress_clock.h"

namespace nuthumb {
namespace {

using std::chrono::milliseconds;

// The pace is the average since the start; before a file is done and a second
// has passed there is none, so the first file's size cannot swing it.
TEST(ProgressClockTest, CountRateAndTimeLeft) {
    const struct {
        int done, total;
        long long elapsed_ms;
        const char *rate, *left;
    } rows[] = {
        {0, 10, 5000, "", ""},
        {5, 10, 999, "", ""},
        {10, 100, 5000, "2.0 個/秒", "残り 0:45"},
        {30, 10000, 1000, "30 個/秒", "残り 5:33"},        // 332.3 s, rounded up
        {1, 10000, 2000, "0.5 個/秒", "残り 5:33:18"},
        {7, 7, 3000, "2.3 個/秒", "残り 0:00"},
    };
    for (const auto& row : rows) {
        ProgressClock clock;
        const auto start = ProgressClock::Clock::time_point{};
        clock.Start(row.total, start);
        const auto now = start + milliseconds(row.elapsed_ms);
        EXPECT_EQ(clock.CountText(row.done), std::to_string(row.done) + "/" + std::to_string(row.total));
        EXPECT_EQ(clock.RateText(row.done, now), row.rate) << row.done << " of " << row.total;
        EXPECT_EQ(clock.TimeLeftText(row.done, now), row.left) << row.done << " of " << row.total;
    }
}

}  // namespace
}  // namespace nuthumb
