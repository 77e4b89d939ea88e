#include "cli/batch_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

#include "batch/comma_text.h"
#include "platform/file_io.h"
#include "platform/io_failure.h"
#include "platform/text_codec.h"
#include "platform/translate.h"
#include "platform/unique_fd.h"

namespace nuthumb {
namespace {

constexpr char kWhat[] = N_("バッチファイル {} を読み込めません: {}");

void RequireReadableKind(const std::string& path, mode_t mode) {
    if (!S_ISREG(mode) && !S_ISFIFO(mode)) throw IoError(kWhat, path, NotRegularFileReason(mode));
}

// Looked at before it is opened, since opening a device can block or act, and
// again after, in case the name was given to something else in between.
UniqueFd OpenBatchFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) ThrowErrno(kWhat, path, errno);
    RequireReadableKind(path, st.st_mode);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd) ThrowErrno(kWhat, path, errno);
    if (::fstat(fd.get(), &st) != 0) ThrowErrno(kWhat, path, errno);
    RequireReadableKind(path, st.st_mode);
    return fd;
}

class EntryCollector {
public:
    explicit EntryCollector(const std::string& path) : path_(path) {}

    // `line` without its line end; `lone_cr` when a CR not followed by LF ended it.
    void Add(std::string_view line, bool lone_cr) {
        constexpr std::string_view kBom = "\xEF\xBB\xBF";
        if (first_ && line.substr(0, kBom.size()) == kBom) line.remove_prefix(kBom.size());
        first_ = false;
        // Bytes that decode to nothing travel as escapes, like those of a settings file.
        std::string text = IsValidUtf8(line) ? std::string(line) : DecodeCp932(line);
        if (lone_cr) text.push_back('\r');
        if (SplitCommaText(text).empty() && text.find('\0') == std::string::npos) return;
        if (entries_.size() == kMaxBatchEntries)
            throw IoError(kWhat, path_, Fill(Tr("エントリが {} 個を超えています"), {std::to_string(kMaxBatchEntries)}));
        entries_.push_back(std::move(text));
    }
    std::vector<std::string> Take() { return std::move(entries_); }

private:
    const std::string& path_;
    bool first_ = true;
    std::vector<std::string> entries_;
};

}  // namespace

std::vector<std::string> ReadBatchFile(const std::string& path) {
    const UniqueFd fd = OpenBatchFile(path);
    EntryCollector entries(path);
    std::string line;
    std::size_t line_number = 1;
    bool after_cr = false;  // the last byte was a CR: LF or anything else decides
    const auto end_line = [&](bool lone_cr) {
        entries.Add(line, lone_cr);
        line.clear();
        ++line_number;
    };

    char buffer[65536];
    std::size_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(kWhat, path, errno);
        }
        if (n == 0) break;
        total += static_cast<std::size_t>(n);
        if (total > kMaxBatchFileBytes) throw IoError(kWhat, path, Tr("64 MiB を超えています"));
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (after_cr) {
                after_cr = false;
                if (c == '\n') {
                    end_line(false);
                    continue;
                }
                end_line(true);
            }
            if (c == '\r') {
                after_cr = true;
            } else if (c == '\n') {
                end_line(false);
            } else {
                if (line.size() == kMaxBatchLineBytes) {
                    throw IoError(kWhat, path, Fill(Tr("{} 行目が 64 KiB を超えています"), {std::to_string(line_number)}));
                }
                line.push_back(c);
            }
        }
    }
    if (after_cr || !line.empty()) end_line(after_cr);
    return entries.Take();
}

}  // namespace nuthumb
