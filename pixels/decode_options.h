#pragma once
// What a caller can tell a decode besides the bytes: when to stop. Loading and
// scaling stay a function of the file's bytes, the job and this check alone, so
// that any thread may run them.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <utility>

namespace nuthumb {

// A decode ended because the caller asked it to stop, not because of the file.
class DecodeCancelled : public std::runtime_error {
public:
    DecodeCancelled() : std::runtime_error("decode cancelled") {}
};

struct DecodeOptions {
    DecodeOptions() = default;
    explicit DecodeOptions(std::function<bool()> stop) : stop_requested(std::move(stop)) {}

    // Asked now and then while a source decodes (between rows, between scans, every
    // few kilobytes of run-length data); true ends the decode with DecodeCancelled.
    // Must be cheap and must not throw: it may be called from inside libjpeg.
    std::function<bool()> stop_requested;

    // Told, once the headers are read and before the large buffers are made,
    // about how many bytes the decode will hold at its peak. It may wait until
    // that much memory is free (several decodes share one budget), and may throw
    // DecodeCancelled; it polls the decode's own stop check (`self`).
    std::function<void(std::uint64_t bytes, const DecodeOptions& self)> reserve_memory;

    // A progressive file decoded at a reduced scale is fed only the scans that
    // scale reads; with this set, every scan, as a full decode is. For benchmarks
    // and tests that compare the two.
    bool read_every_scan = false;

    bool StopRequested() const { return stop_requested && stop_requested(); }
    void ReserveMemory(std::uint64_t bytes) const {
        if (reserve_memory) reserve_memory(bytes, *this);
    }
    void ThrowIfStopRequested() const {
        if (StopRequested()) throw DecodeCancelled();
    }
};

}  // namespace nuthumb
