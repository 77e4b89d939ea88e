#pragma once
// Runs nuthumb-cli as a child process: its own session (so no controlling
// terminal), stdin from /dev/null, stdout and stderr into files.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/language.h"

namespace nuthumb::test {

inline Command CliCommand(std::vector<std::string> args, const std::string& program) {
    args.insert(args.begin(), program);
    return args;
}

// In a forked child: becomes nuthumb-cli (or a copy of it at `program`) with
// `args`; never returns.
[[noreturn]] inline void ExecCli(std::vector<std::string> args, const std::string& program = NUTHUMB_CLI_PATH) {
    ExecProgram(CliCommand(std::move(args), program));
}

struct CliOutcome {
    int status = -1;  // exit status; 128 + signal when killed by one
    std::string out, err;
};

// How to start the child beyond its arguments.
struct CliLaunch {
    std::string program = NUTHUMB_CLI_PATH;
    std::function<void()> in_child;  // runs in the child just before exec (privileges, stdout)
};

// The output goes to files rather than pipes: a test names the very file stdout
// is, as the program's error list.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::string& output_dir, const CliLaunch& launch = {})
        : out_path_(output_dir + "/cli.out"),
          err_path_(output_dir + "/cli.err"),
          child_({.prepare = [&] { return Prepare(launch); }}, CliCommand(args, launch.program)) {
        if (child_.pid() < 0) throw std::runtime_error("fork failed");
    }

    pid_t pid() const { return child_.pid(); }

    CliOutcome Wait() {
        const ChildEnd end = child_.Wait();
        return {end.status(), Slurp(out_path_), Slurp(err_path_)};
    }

private:
    bool Prepare(const CliLaunch& launch) const {
        ::setsid();
        Redirect("/dev/null", O_RDONLY, STDIN_FILENO);
        Redirect(out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
        Redirect(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
        // The source texts whatever the session's language, unless the test asks.
        UseLanguage("C.UTF-8");
        if (launch.in_child) launch.in_child();
        return true;
    }
    static void Redirect(const char* path, int flags, int target) {
        const int fd = ::open(path, flags, 0644);
        if (fd < 0 || ::dup2(fd, target) < 0) ::_exit(126);
        ::close(fd);
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string out_path_, err_path_;
    ChildProcess child_;  // after the paths, which its preparation uses
};

// True once the process has its own SIGINT handler, so the signal cannot kill it.
inline bool CatchesSigint(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGINT - 1))) != 0;
    return false;
}

// Sends SIGINT (a Ctrl-C) as soon as the process catches it; false when it did
// not within 20 s.
inline bool InterruptWhenCaught(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!CatchesSigint(pid)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return ::kill(pid, SIGINT) == 0;
}

inline CliOutcome RunCli(const std::vector<std::string>& args, const std::string& output_dir,
                         const CliLaunch& launch = {}) {
    return CliProcess(args, output_dir, launch).Wait();
}

}  // namespace nuthumb::test
