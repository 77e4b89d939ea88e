// Times `nuthumb-cli --help` from the start of the process to its end in each
// language (Japanese, English, C), the languages interleaved; best of the runs.
// The English catalogue is loaded only under English, so this is what a
// translation costs a command's start.
// Usage: bench_cli_help [runs] [nuthumb-cli]   (default 20; the build tree's program)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace {

double NowMs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    const std::string cli = argc > 2 ? argv[2] : (self.parent_path().parent_path() / "app/nuthumb-cli").string();
    const std::vector<std::string> languages = {"ja_JP.UTF-8", "en_US.UTF-8", "C.UTF-8"};
    std::vector<double> best(languages.size(), 1e9);
    std::vector<std::size_t> bytes(languages.size());
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"}) ::unsetenv(name);
    for (int i = 0; i < runs; ++i) {
        for (std::size_t l = 0; l < languages.size(); ++l) {
            ::setenv("LANG", languages[l].c_str(), 1);
            const double start = NowMs();
            const nuthumb::test::ChildEnd child = nuthumb::test::RunChild({.capture_stdout = true}, {cli, "--help"});
            const double took = NowMs() - start;
            if (child.exit_code != 0) {
                std::fprintf(stderr, "%s --help failed\n", cli.c_str());
                return 1;
            }
            best[l] = std::min(best[l], took);
            bytes[l] = child.out.size();
        }
    }
    for (std::size_t l = 0; l < languages.size(); ++l)
        std::printf("%-12s nuthumb-cli --help: best of %d %.2f ms (%zu bytes of help)\n", languages[l].c_str(), runs,
                    best[l], bytes[l]);
    return 0;
}
