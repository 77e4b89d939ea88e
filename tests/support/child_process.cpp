#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

namespace nuthumb::test {
namespace {

// Close-on-exec, so that a program the child (or a later child) becomes does not
// hold a write end open and keep the parent from seeing the end.
struct Pipe {
    UniqueFd read, write;
    bool Open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        read = UniqueFd(fds[0]);
        write = UniqueFd(fds[1]);
        return true;
    }
};

bool WriteAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads the streams side by side, so that a child blocked on a full stderr pipe
// cannot stall a parent that waits for the end of stdout.
void ReadToEnd(std::vector<std::pair<int, std::string*>> streams) {
    while (!streams.empty()) {
        std::vector<pollfd> polled;
        for (const auto& stream : streams) polled.push_back({stream.first, POLLIN, 0});
        if (::poll(polled.data(), polled.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        for (std::size_t i = polled.size(); i-- > 0;) {
            if (polled[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(polled[i].fd, buffer, sizeof buffer);
            if (n > 0)
                streams[i].second->append(buffer, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR)
                streams.erase(streams.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

}  // namespace

ChildProcess::ChildProcess(const ChildSetup& setup, const std::function<std::string()>& work) {
    Pipe report;
    if (!report.Open()) return;
    Start(setup, [&] {
        std::string text;
        try {
            text = work();
        } catch (const std::exception& e) {
            text = std::string("throws: ") + e.what();
        }
        ::_exit(WriteAll(report.write.get(), text) ? 0 : 1);
    });
    report_ = std::move(report.read);
}

ChildProcess::ChildProcess(const ChildSetup& setup, const Command& command) {
    Start(setup, [&] { ExecProgram(command); });
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !waited_) KillAndReap(pid_);
}

void ChildProcess::Start(const ChildSetup& setup, const std::function<void()>& body) {
    Pipe out, err;
    if ((setup.capture_stdout && !out.Open()) || (setup.capture_stderr && !err.Open())) return;
    // Or a child that reopens stdout would write the parent's buffered lines again.
    std::fflush(nullptr);
    forked_ = std::chrono::steady_clock::now();
    pid_ = ::fork();
    if (pid_ != 0) {
        out_ = std::move(out.read);
        err_ = std::move(err.read);
        return;
    }
    if (setup.seconds_allowed != 0) ::alarm(setup.seconds_allowed);
    if ((out.write && ::dup2(out.write.get(), STDOUT_FILENO) < 0) ||
        (err.write && ::dup2(err.write.get(), STDERR_FILENO) < 0))
        ::_exit(126);
    if (setup.prepare && !setup.prepare()) ::_exit(kNotPrepared);
    body();
    ::_exit(127);
}

ChildEnd ChildProcess::Wait() {
    ChildEnd end;
    if (pid_ < 0 || waited_) return end;
    waited_ = true;
    std::vector<std::pair<int, std::string*>> streams;
    for (auto [fd, text] : {std::pair{&report_, &end.report}, {&out_, &end.out}, {&err_, &end.err}})
        if (*fd) streams.emplace_back(fd->get(), text);
    ReadToEnd(std::move(streams));
    report_.close();
    out_.close();
    err_.close();

    int status = 0;
    rusage usage{};
    pid_t reaped;
    while ((reaped = ::wait4(pid_, &status, 0, &usage)) < 0 && errno == EINTR) {
    }
    end.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - forked_).count();
    if (reaped != pid_) return end;
    end.peak_kib = usage.ru_maxrss;
    if (WIFEXITED(status))
        end.exit_code = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        end.signal = WTERMSIG(status);
    return end;
}

ChildEnd RunChild(const ChildSetup& setup, const std::function<std::string()>& work) {
    return ChildProcess(setup, work).Wait();
}

ChildEnd RunChild(const ChildSetup& setup, const Command& command) {
    return ChildProcess(setup, command).Wait();
}

void ExecProgram(Command command) {
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (argv[0] != nullptr) ::execvp(argv[0], argv.data());
    ::_exit(127);
}

void KillAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

std::vector<pid_t> ChildrenOf(pid_t parent) {
    std::vector<pid_t> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
        // "pid (name) state ppid ...": the name may hold anything but ends at the last ')'.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t ppid = 0;
        if (rest >> state >> ppid && ppid == parent) children.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return children;
}

bool ProcessExists(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

}  // namespace nuthumb::test
