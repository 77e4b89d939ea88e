#include "platform/executable_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/file_io.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

std::string ReadExeLink() {
    std::vector<char> buf(256);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) throw IoError(Fill(Tr("プログラムのパスがわかりません: {}"), {std::strerror(errno)}));
        if (static_cast<std::size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<std::size_t>(n));
        buf.resize(buf.size() * 2);  // readlink cuts silently; retry with more room
    }
}

// stat() of /proc/self/exe reaches the running file even when it has no name left.
bool NamesRunningFile(const std::string& path) {
    struct stat named {}, running {};
    return ::stat(path.c_str(), &named) == 0 && ::stat("/proc/self/exe", &running) == 0 &&
           named.st_dev == running.st_dev && named.st_ino == running.st_ino;
}

}  // namespace

std::string StartedProgramPath(std::string link_text, bool names_running_file) {
    constexpr std::string_view kMark = " (deleted)";
    if (!names_running_file && link_text.size() > kMark.size() && link_text.ends_with(kMark))
        link_text.resize(link_text.size() - kMark.size());
    return link_text;
}

std::string ExecutablePath() {
    std::string link_text = ReadExeLink();
    const bool names_running = NamesRunningFile(link_text);
    return StartedProgramPath(std::move(link_text), names_running);
}

}  // namespace nuthumb
