#include "settings/settings_readable.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"
#include "platform/io_failure.h"
#include "platform/unique_fd.h"

namespace nuthumb {
namespace {

constexpr char kWhat[] = N_("設定ファイル {} を読み込めません: {}");

void RequireRegular(const struct stat& st, const std::string& path) {
    if (!S_ISREG(st.st_mode)) ThrowIoError(kWhat, path, NotRegularFileReason(st.st_mode));
}

[[noreturn]] void ThrowTooLarge(const std::string& path) { ThrowIoError(kWhat, path, Tr("64 MiB を超えています")); }

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadSettingsBytes(const std::string& path, bool must_exist) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT && !must_exist) return std::nullopt;
        ThrowErrno(kWhat, path, errno);
    }
    // Known to be a regular file before it is opened, so that opening a device
    // cannot act on it; non-blocking in case it became a FIFO since.
    RequireRegular(st, path);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd) ThrowErrno(kWhat, path, errno);
    if (::fstat(fd.get(), &st) != 0) ThrowErrno(kWhat, path, errno);
    RequireRegular(st, path);
    if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > kMaxSettingsFileBytes) ThrowTooLarge(path);

    // A spare byte shows a file that grew while being read; it may, up to the limit.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t used = 0;
    for (ssize_t n; (n = ::read(fd.get(), bytes.data() + used, bytes.size() - used)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ThrowErrno(kWhat, path, errno);
        used += static_cast<std::size_t>(n);
        if (used > kMaxSettingsFileBytes) ThrowTooLarge(path);
        if (used == bytes.size()) bytes.resize(std::min(2 * used, kMaxSettingsFileBytes + 1));
    }
    bytes.resize(used);
    return bytes;
}

}  // namespace nuthumb
