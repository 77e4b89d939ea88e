#include "codecs/jpeg_source.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <limits>
#include <type_traits>
#include <utility>

#include <jerror.h>

namespace nuthumb {
namespace {

static_assert(std::is_standard_layout_v<JpegStreamSource> && offsetof(JpegStreamSource, manager) == 0,
              "the library hands back a pointer to the manager, which must be the source");

constexpr std::size_t kChunk = 64 * 1024;
constexpr JOCTET kFakeEnd[] = {0xFF, JPEG_EOI};

JpegStreamSource& SourceOf(j_decompress_ptr info) { return *reinterpret_cast<JpegStreamSource*>(info->src); }

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// Moves the read position past a left-out range that starts there; returns how
// many bytes may be read before the next one begins.
std::uint64_t PassLeftOut(JpegStreamSource& s) {
    while (s.next_left_out < s.left_out.size() && s.left_out[s.next_left_out].begin <= s.next) {
        s.next = std::max(s.next, s.left_out[s.next_left_out].end);
        ++s.next_left_out;
    }
    if (s.next_left_out == s.left_out.size()) return std::numeric_limits<std::uint64_t>::max();
    return s.left_out[s.next_left_out].begin - s.next;
}

boolean FillInputBuffer(j_decompress_ptr info) {
    JpegStreamSource& s = SourceOf(info);
    std::size_t got = 0;
    bool failed = false;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(s.buffer.size(), PassLeftOut(s)));
    try {
        got = s.bytes->ReadAt(s.next, {s.buffer.data(), want});
    } catch (const std::exception& e) {
        std::snprintf(s.read_error, sizeof s.read_error, "%s", e.what());
        failed = true;
    }
    // Outside the handler: the error exit jumps, and must not leave a live exception.
    if (failed) ERREXIT(info, JERR_FILE_READ);
    if (got == 0) {
        if (s.next == 0) ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        s.ended = true;
        s.manager.next_input_byte = kFakeEnd;
        s.manager.bytes_in_buffer = sizeof kFakeEnd;
        return TRUE;
    }
    s.next += got;
    s.manager.next_input_byte = s.buffer.data();
    s.manager.bytes_in_buffer = got;
    return TRUE;
}

// Data the decoder does not want (a long metadata block) is stepped over without
// being read.
void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    JpegStreamSource& s = SourceOf(info);
    const auto wanted = static_cast<std::uint64_t>(count);
    if (wanted <= s.manager.bytes_in_buffer) {
        s.manager.next_input_byte += wanted;
        s.manager.bytes_in_buffer -= static_cast<std::size_t>(wanted);
        return;
    }
    std::uint64_t beyond = wanted - s.manager.bytes_in_buffer;
    s.manager.bytes_in_buffer = 0;
    // Counted in the bytes the library sees, so the left-out ranges do not count.
    while (beyond > 0) {
        const std::uint64_t step = std::min(beyond, PassLeftOut(s));
        if (step > std::numeric_limits<std::uint64_t>::max() - s.next) {
            s.next = std::numeric_limits<std::uint64_t>::max();
            return;
        }
        s.next += step;
        beyond -= step;
    }
}

}  // namespace

void JpegStreamSource::InstallInto(jpeg_decompress_struct& info, const ByteSource& source) {
    bytes = &source;
    next = 0;
    buffer.resize(kChunk);
    read_error[0] = '\0';
    ended = false;
    left_out.clear();
    next_left_out = 0;
    manager.init_source = InitSource;
    manager.fill_input_buffer = FillInputBuffer;
    manager.skip_input_data = SkipInputData;
    manager.resync_to_restart = jpeg_resync_to_restart;
    manager.term_source = TermSource;
    manager.next_input_byte = nullptr;
    manager.bytes_in_buffer = 0;
    info.src = &manager;
}

void JpegStreamSource::LeaveOut(std::vector<ByteRange> ranges) {
    if (ended) return;
    next = position();
    manager.bytes_in_buffer = 0;
    left_out = std::move(ranges);
    next_left_out = 0;
}

}  // namespace nuthumb
