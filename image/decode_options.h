#pragma once
// What a caller can tell a decode besides the bytes: when to stop. Loading and
// scaling stay a function of the file's bytes, the job and this check alone, so
// that any thread may run them.
#include <functional>
#include <stdexcept>

namespace nuthumb {

// A decode ended because the caller asked it to stop, not because of the file.
class DecodeCancelled : public std::runtime_error {
public:
    DecodeCancelled() : std::runtime_error("decode cancelled") {}
};

struct DecodeOptions {
    // Asked now and then while a source decodes (between rows, between scans, every
    // few kilobytes of run-length data); true ends the decode with DecodeCancelled.
    // Must be cheap and must not throw: it may be called from inside libjpeg.
    std::function<bool()> stop_requested;

    bool StopRequested() const { return stop_requested && stop_requested(); }
    void ThrowIfStopRequested() const {
        if (StopRequested()) throw DecodeCancelled();
    }
};

}  // namespace nuthumb
