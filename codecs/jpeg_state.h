#pragma once
// The state of one JPEG decode, shared by its parts: the markers it keeps, the
// watch over its scans, and the rows it hands out. libjpeg ends a fatal error
// by a long jump back into the routine that called it, so every routine that
// calls into the library owns nothing, and this struct owns everything.
#include <array>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <vector>

#include <jpeglib.h>

#include "codecs/jpeg_error_trap.h"
#include "codecs/jpeg_scan_progression.h"
#include "codecs/jpeg_source.h"
#include "pixels/decode_options.h"

namespace nuthumb {

struct JpegDecodeState;

// Called by the library between the pieces of a long job (each MCU row of each
// scan while a progressive file loads, each row handed out).
struct JpegScanWatch {
    // The first member, so that the library's pointer to it is a pointer to us.
    jpeg_progress_mgr progress{};
    JpegDecodeState* state = nullptr;
    ProgressionCheck progression;
    int checked_scan = 0;  // the last scan the progression check has seen
};

// The ICC profile's APP2 segments as they came, when colours are converted.
struct IccSegments {
    struct Part {
        std::uint8_t number = 0, count = 0;  // this one's place and how many the profile has
        const JOCTET* data = nullptr;        // in the library's pool, freed with it
        std::size_t length = 0;
    };
    std::array<Part, 255> parts{};  // a profile has at most 255 segments
    std::size_t kept = 0;
    std::size_t bytes = 0;   // of all parts together, at most kMaxProfileBytes
    bool dropped = false;    // more than that: the profile is not used
};

// No camera or screen profile comes near this; a larger one is not used.
inline constexpr std::size_t kMaxProfileBytes = std::size_t{4} << 20;

struct JpegDecodeState {
    JpegStreamSource source;
    DecodeOptions options;
    JpegScanWatch watch;
    JpegErrorTrap trap{};
    // The payload of the first Exif APP1 segment, when the orientation is read;
    // reserved beforehand, so that filling it inside the library never allocates.
    std::vector<std::uint8_t> exif;
    bool exif_found = false;
    IccSegments icc;
    jpeg_decompress_struct info{};  // zeroed: destroying an uncreated one is a no-op

    JpegDecodeState() = default;
    JpegDecodeState(const JpegDecodeState&) = delete;
    JpegDecodeState& operator=(const JpegDecodeState&) = delete;
    ~JpegDecodeState() { jpeg_destroy_decompress(&info); }

    // After a jump back from the library: what went wrong, as the exception the
    // caller expects (IoError, DecodeCancelled or LoadError).
    [[noreturn]] void ThrowFailure() const;
};

}  // namespace nuthumb
