#pragma once
// Runs a function or a program in a forked child and brings back how it ended:
// the text the function returned, what the program wrote, its peak memory and its
// time. Tests use a child to change what it may do (drop root, cap its memory)
// without touching the test process; benchmarks, so that one run's peak memory is
// its own.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace nuthumb::test {

// Exit code of a child whose preparation failed: the caller skips rather than fails.
inline constexpr int kNotPrepared = 77;

// A program and its arguments; a first word without '/' is looked up on PATH.
using Command = std::vector<std::string>;

struct ChildSetup {
    // Runs in the child before its work (limits, privileges, redirections); false
    // ends the child with kNotPrepared.
    std::function<bool()> prepare{};
    bool capture_stdout = false;  // comes back as ChildEnd::out
    bool capture_stderr = false;  // comes back as ChildEnd::err
    unsigned seconds_allowed = 0;  // then SIGALRM ends the child, exec'd or not; 0: no limit
};

struct ChildEnd {
    int exit_code = -1;     // -1 when a signal ended it or it never started
    int signal = 0;         // the signal that ended it (SIGALRM: out of time)
    std::string report;     // what the child's function returned
    std::string out, err;   // what it wrote, when captured
    long peak_kib = 0;      // peak resident memory (ru_maxrss)
    double seconds = 0;     // from just before the fork to the reaping

    // As a shell gives it: the exit code, or 128 + the signal.
    int status() const { return signal != 0 ? 128 + signal : exit_code; }
};

class ChildProcess {
public:
    // The child runs `work`; its result, or an exception's what() after "throws: ",
    // comes back as ChildEnd::report, and the child exits with 0.
    ChildProcess(const ChildSetup& setup, const std::function<std::string()>& work);
    // The child becomes `command` (exit 127 when it cannot).
    ChildProcess(const ChildSetup& setup, const Command& command);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // A child nobody waited for (a failed test) is killed, not left behind.
    ~ChildProcess();

    pid_t pid() const { return pid_; }  // -1 when the fork failed
    // Reads the captured streams to their end, then reaps the child. Once.
    ChildEnd Wait();

private:
    void Start(const ChildSetup& setup, const std::function<void()>& body);

    pid_t pid_ = -1;
    bool waited_ = false;
    std::chrono::steady_clock::time_point forked_;
    UniqueFd report_, out_, err_;  // read ends
};

ChildEnd RunChild(const ChildSetup& setup, const std::function<std::string()>& work);
ChildEnd RunChild(const ChildSetup& setup, const Command& command);

// In a forked child: becomes `command`; exits with 127 when it cannot.
[[noreturn]] void ExecProgram(Command command);

// Ends a child that is still running and reaps it.
void KillAndReap(pid_t pid);

// The processes whose parent is `parent` now (read from /proc).
std::vector<pid_t> ChildrenOf(pid_t parent);
// Whether process `pid` exists (a zombie, not yet reaped, still does).
bool ProcessExists(pid_t pid);

}  // namespace nuthumb::test
