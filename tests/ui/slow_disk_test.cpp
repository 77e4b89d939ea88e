// The window during a run whose disk syncs take seconds (a USB stick, a network
// folder): it must keep handling its events while the publisher waits for the
// disk, also when the run's thread waits for room in the publisher's queue.
#include <dlfcn.h>
#include <unistd.h>

#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/online_cores.h"
#include "tests/support/sample_images.h"
#include "tests/ui/window_fixture.h"

namespace {

std::atomic<int> g_sync_delay_ms{0};
std::atomic<int> g_slow_syncs{0};

template <class Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

void DelaySync() {
    if (const int ms = g_sync_delay_ms.load(); ms > 0) {
        ++g_slow_syncs;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

}  // namespace

// This program's syncs: those of the staged files, taken before the C library's.
extern "C" int fsync(int fd) {
    DelaySync();
    static const auto real = Real<int (*)(int)>("fsync");
    return real(fd);
}

extern "C" int syncfs(int fd) noexcept {
    DelaySync();
    static const auto real = Real<int (*)(int)>("syncfs");
    return real(fd);
}

namespace nuthumb::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class SlowSyncs {
public:
    explicit SlowSyncs(std::chrono::milliseconds delay) { g_sync_delay_ms = static_cast<int>(delay.count()); }
    SlowSyncs(const SlowSyncs&) = delete;
    SlowSyncs& operator=(const SlowSyncs&) = delete;
    ~SlowSyncs() { g_sync_delay_ms = 0; }
};

// More files than the publisher's queue holds (64), so the run also waits for
// room in it while a sync runs, and then for the last targets to land.
constexpr int kFiles = 70;

class SlowDiskTest : public WindowTest {};

TEST_F(SlowDiskTest, WindowAnswersWhileASyncTakesSeconds) {
    if (DefaultParallelJobs() < 2) GTEST_SKIP() << "one core: the run writes its targets itself";
    for (int i = 0; i < kFiles; ++i) WriteSampleBitmap(In() + "/s" + std::to_string(100 + i) + ".bmp");
    Start();
    PointAtFolders();

    // Every pass of the window's event handling, as a user's click would see it.
    std::vector<Clock::time_point> passes;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] { passes.push_back(Clock::now()); });
    ticker.start();
    const int syncs_before = g_slow_syncs;
    {
        SlowSyncs slow(2s);
        passes.push_back(Clock::now());
        Click("startButton");
        passes.push_back(Clock::now());
    }
    ticker.stop();

    Clock::duration longest{};
    for (std::size_t i = 1; i < passes.size(); ++i) longest = std::max(longest, passes[i] - passes[i - 1]);
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf("run %.0f ms, %d slow syncs, %zu event passes, longest gap %.1f ms\n",
                ms(passes.back() - passes.front()), g_slow_syncs - syncs_before, passes.size(), ms(longest));

    EXPECT_GE(g_slow_syncs - syncs_before, 2) << "the queue filled during a sync, and the last targets waited for one";
    EXPECT_LT(longest, 100ms);
    EXPECT_EQ(NamesIn(Out()).size(), static_cast<std::size_t>(kFiles));
    EXPECT_EQ(answerer_.boxes.size(), 1u) << "only the result box";
}

}  // namespace
}  // namespace nuthumb::test
