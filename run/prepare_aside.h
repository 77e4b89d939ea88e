#pragma once
// One file prepared on a thread of its own while the run's thread waits, so a
// host that must stay live (the window) can handle its events meanwhile.
#include <functional>
#include <string>

#include "image/prepare_thumbnails.h"

namespace nuthumb {

// PrepareThumbnails(source, conversions, ...) on another thread. The calling
// thread asks `options` whether to stop and calls `while_waiting` between short
// waits; a stop request cancels the decode as it would on the calling thread.
std::vector<PreparedThumbnail> PrepareAside(const std::string& source, const std::vector<Conversion>& conversions,
                                            const DecodeOptions& options,
                                            const std::function<void()>& while_waiting);

}  // namespace nuthumb
