#pragma once
// Which file, in which state, a name stood for: enough to tell whether a file read
// earlier is still the one the name gives now.
#include <cstdint>
#include <optional>
#include <string>

struct stat;

namespace nuthumb {

// A file time as the system gives it: seconds since the epoch and nanoseconds
// (0 to 999999999). Kept apart, not as one count of nanoseconds, which a signed
// 64-bit number holds only up to 2262-04-11.
struct FileTime {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;

    bool operator==(const FileTime&) const = default;
};

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    FileTime modified;
    FileTime changed;

    bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const struct stat& st);

// The identity of the file `path` names now (links followed); nullopt when there
// is none.
std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace nuthumb
