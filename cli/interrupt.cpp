#include "cli/interrupt.h"

#include <atomic>
#include <csignal>

namespace nuthumb {
namespace {

// Written by the signal handler, read by the run's thread and by every worker's
// decode: only a lock-free atomic is safe for both.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler may only touch lock-free atomics");

extern "C" void OnInterrupt(int) { g_interrupted.store(true); }

}  // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a question waiting on the terminal returns and counts as "no".
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return g_interrupted.load(); }

}  // namespace nuthumb
