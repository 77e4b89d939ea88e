#include "cli/error_list_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <iostream>

#include "cli/terminal_text.h"
#include "run/error_list_file.h"
#include "platform/direct_write.h"
#include "platform/file_io.h"
#include "platform/text_codec.h"

namespace nuthumb {
namespace {

// A pipe, a terminal or another stream is read by Linux tools, which expect UTF-8
// and LF; a file keeps the error-list file's own format.
bool IsStream(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISSOCK(st.st_mode));
}

// A name with a line break or bytes that are no UTF-8 is a file URI here too, as
// in the file: a reader taking a line at a time must get the one path it names.
// On a terminal the other control bytes of a name show escaped.
std::string StreamText(const std::vector<std::string>& lines, bool terminal) {
    std::string text;
    for (const std::string& line : lines)
        text.append(TerminalText(EncodeUtf8(ErrorListLine(line)), terminal)).append("\n");
    return text;
}

bool NamesStandardOutput(const std::string& path) {
    if (path == "-") return true;
    struct stat named {}, out {};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 &&
           named.st_dev == out.st_dev && named.st_ino == out.st_ino;
}

}  // namespace

std::optional<std::string> WriteErrorListOutput(const std::string& path,
                                                const std::vector<std::string>& lines) {
    const bool to_stdout = NamesStandardOutput(path);
    if (!to_stdout && !IsStream(path)) return WriteErrorListFile(path, lines);
    const std::string bytes = StreamText(lines, to_stdout && ::isatty(STDOUT_FILENO));
    try {
        if (to_stdout) {
            std::cout.flush();
            WriteAll(STDOUT_FILENO, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                     "standard output");
        } else {
            WriteFileOrDevice(path, std::string_view(bytes));
        }
        return std::nullopt;
    } catch (const IoError& error) {
        return std::string(error.what());
    }
}

}  // namespace nuthumb
