#include "platform/executable_path.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "platform/file_io.h"

namespace nuthumb {

std::string ExecutablePath() {
    std::vector<char> buf(256);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) throw IoError(std::string("cannot find the program's path: ") + std::strerror(errno));
        if (static_cast<std::size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<std::size_t>(n));
        buf.resize(buf.size() * 2);  // readlink cuts silently; retry with more room
    }
}

}  // namespace nuthumb
