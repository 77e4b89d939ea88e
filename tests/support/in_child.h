#pragma once
// Runs a piece of a test in a forked child that may first change what it is
// allowed (drop root, cap its memory), and brings back the text it produced.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace nuthumb::test {

// Runs `prepare` and then `work` in a child and returns what `work` returned (an
// exception's what() with "throws: " before it). nullopt when `prepare` failed, so
// the caller can skip with a message; a child that ends abnormally comes back as a
// text saying so. A hang fails after 60 s instead of stopping the suite.
inline std::optional<std::string> InChild(const std::function<bool()>& prepare,
                                          const std::function<std::string()>& work) {
    int fds[2];
    if (::pipe(fds) != 0) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ::alarm(60);
        if (!prepare()) ::_exit(77);
        std::string text;
        try {
            text = work();
        } catch (const std::exception& e) {
            text = std::string("throws: ") + e.what();
        }
        const bool sent = ::write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return std::nullopt;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child ended abnormally: " + std::to_string(status);
    return text;
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
