#pragma once
// Runs a piece of a test in a forked child that may first change what it is
// allowed (drop root, cap its memory), and brings back the text it produced.
#include <sys/resource.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "tests/support/child_process.h"

namespace nuthumb::test {

// Runs `prepare` and then `work` in a child and returns what `work` returned (an
// exception's what() with "throws: " before it). nullopt when `prepare` failed, so
// the caller can skip with a message; a child that ends abnormally comes back as a
// text saying so. A hang fails after 60 s instead of stopping the suite.
inline std::optional<std::string> InChild(const std::function<bool()>& prepare,
                                          const std::function<std::string()>& work) {
    const ChildEnd end = RunChild({.prepare = prepare, .seconds_allowed = 60}, work);
    if (end.exit_code == kNotPrepared || (end.exit_code < 0 && end.signal == 0)) return std::nullopt;
    if (end.signal != 0) return "child ended abnormally: signal " + std::to_string(end.signal);
    if (end.exit_code != 0) return "child ended abnormally: exit " + std::to_string(end.exit_code);
    return end.report;
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
