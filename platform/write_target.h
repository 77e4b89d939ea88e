#pragma once
// Where a write to a path really lands.
#include <string>

namespace nuthumb {

// The file that writing `path` replaces. Symbolic links are followed one by one,
// a relative link read against the folder that holds it, so the file a link names
// is replaced in its own folder and the link stays a link. A name that does not
// exist (or a link to one) is returned as the file to create. Throws IoError,
// naming `path`, when it ends at something that is no regular file (a folder, a
// device, a FIFO, a socket), when links loop, or when the name cannot be looked up
// (too long, no permission).
std::string ResolveWriteTarget(const std::string& path);

}  // namespace nuthumb
