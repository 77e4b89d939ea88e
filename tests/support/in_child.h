#pragma once
// Runs a piece of a test in a forked child that may first change what it is
// allowed (drop root, cap its memory), and brings back the text it produced.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace nuthumb::test {

// Runs `prepare` and then `work` in a child. Empty when the child could not be
// prepared (the test should skip) or did not finish; else what `work` returned.
inline std::optional<std::string> InChild(const std::function<bool()>& prepare,
                                          const std::function<std::string()>& work) {
    int fds[2];
    if (::pipe(fds) != 0) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (!prepare()) ::_exit(77);
        const std::string text = work();
        const bool written = ::write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

// For `prepare`: become an unprivileged user, so that permissions apply to the
// child even when the tests run as root. True when that worked (or was not needed).
inline bool DropRoot() {
    if (::geteuid() != 0) return true;
    constexpr uid_t kNobody = 65534;
    return ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && ::geteuid() == kNobody;
}

// For `prepare`: let the child's heap grow by at most `bytes` beyond what it holds
// now. The sanitizers reserve far more than any such limit, so there it does
// nothing (and the memory check is left to the benchmark).
inline bool CapHeapGrowth(rlim_t bytes) {
#if defined(__SANITIZE_ADDRESS__)
    (void)bytes;
    return true;
#else
    std::ifstream status("/proc/self/status");
    rlim_t data_kib = 0;
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmData:", 0) == 0) data_kib = std::stoull(line.substr(7));
    const rlimit limit{data_kib * 1024 + bytes, data_kib * 1024 + bytes};
    return data_kib > 0 && ::setrlimit(RLIMIT_DATA, &limit) == 0;
#endif
}

}  // namespace nuthumb::test
