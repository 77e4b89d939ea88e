#pragma once
// Runs nuthumb-cli as a child process: its own session (so no controlling
// terminal), stdin from /dev/null, stdout and stderr into files.
#include <fcntl.h>
#include <sys/wait.h>
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

namespace nuthumb::test {

// In a forked child: becomes nuthumb-cli (or a copy of it at `program`) with
// `args`; never returns.
[[noreturn]] inline void ExecCli(std::vector<std::string> args, const std::string& program = NUTHUMB_CLI_PATH) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

// Ends a child that is still running (a failed test) and reaps it.
inline void KillAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
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

class CliProcess {
public:
    CliProcess(const std::vector<std::string>& args, const std::string& output_dir, const CliLaunch& launch = {})
        : out_path_(output_dir + "/cli.out"), err_path_(output_dir + "/cli.err") {
        pid_ = ::fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            ::setsid();
            Redirect("/dev/null", O_RDONLY, STDIN_FILENO);
            Redirect(out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
            Redirect(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
            if (launch.in_child) launch.in_child();
            ExecCli(args, launch.program);
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;
    ~CliProcess() {
        if (pid_ > 0 && !waited_) KillAndReap(pid_);
    }

    pid_t pid() const { return pid_; }

    CliOutcome Wait() {
        int raw = 0;
        ::waitpid(pid_, &raw, 0);
        waited_ = true;
        CliOutcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        outcome.out = Slurp(out_path_);
        outcome.err = Slurp(err_path_);
        return outcome;
    }

private:
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
    pid_t pid_ = -1;
    bool waited_ = false;
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
