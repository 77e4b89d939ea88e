#include "cli/error_list_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <iostream>

#include "run/error_list_file.h"
#include "platform/direct_write.h"
#include "platform/file_io.h"

namespace nuthumb {
namespace {

bool NamesStandardOutput(const std::string& path) {
    if (path == "-") return true;
    struct stat named {}, out {};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 &&
           named.st_dev == out.st_dev && named.st_ino == out.st_ino;
}

}  // namespace

std::optional<std::string> WriteErrorListOutput(const std::string& path,
                                                const std::vector<std::string>& lines) {
    if (!NamesStandardOutput(path)) return WriteErrorListFile(path, lines);
    std::cout.flush();
    const std::string bytes = ComposeErrorListFile(lines);
    try {
        WriteAll(STDOUT_FILENO,
                 std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                 "standard output");
        return std::nullopt;
    } catch (const IoError& error) {
        return std::string(error.what());
    }
}

}  // namespace nuthumb
