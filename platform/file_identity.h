#pragma once
// Which file, in which state, a name stood for: enough to tell whether a file read
// earlier is still the one the name gives now.
#include <cstdint>
#include <optional>
#include <string>

struct stat;

namespace nuthumb {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified_ns = 0;
    std::int64_t changed_ns = 0;

    bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const struct stat& st);

// The identity of the file `path` names now (links followed); nullopt when there
// is none.
std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace nuthumb
