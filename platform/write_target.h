#pragma once
// Where a write to a path really lands. Links are followed by the kernel, never
// read and followed here, so its protections (a link planted by another user in a
// sticky world-writable folder is not followed) hold for every file we replace.
#include <cstdint>
#include <optional>
#include <string>

namespace nuthumb {

struct WriteTarget {
    std::string path;  // the regular file that is replaced, links resolved
    // A link named a file that did not exist: the kernel created it (empty, no
    // permissions) while following the link, so the caller knows where it lies.
    bool created_for_link = false;
};

// The file that writing `path` replaces. A link stays a link and the file it
// names is replaced in its own folder. A name that does not exist is returned as
// the file to create. Throws IoError, naming `path`, when it ends at something
// that is no regular file (a folder, a device, a FIFO, a socket), when links loop
// or the kernel refuses to follow one, or when the name cannot be looked up.
WriteTarget ResolveWriteTarget(const std::string& path);

// A place a file lands at: a name in a folder (the folder as device and inode).
struct LandingPlace {
    std::uint64_t folder_device = 0, folder_inode = 0;
    std::string name;
    // Names are compared without ASCII case, as a case-insensitive file system
    // would: two places that may be one file count as the same.
    bool SameAs(const LandingPlace& other) const;
};

// Where writing `path` would land now, without creating anything; nullopt when
// that cannot be told (a link to a file that does not exist yet, a folder that
// cannot be looked up).
std::optional<LandingPlace> PlaceOfWriteTarget(const std::string& path);

// Whether the folder `path` would lie in does not exist (yet): nothing lands at
// `path` before it is made, whatever other writes do meanwhile.
bool FolderOfPathIsMissing(const std::string& path);

}  // namespace nuthumb
