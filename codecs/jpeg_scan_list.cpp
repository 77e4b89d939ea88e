#include "codecs/jpeg_scan_list.h"

#include <optional>

#include "codecs/chunk_reader.h"

namespace nuthumb {
namespace {

constexpr std::uint8_t kSos = 0xDA, kEoi = 0xD9, kSoi = 0xD8, kTem = 0x01;

bool IsRestart(std::uint8_t code) { return code >= 0xD0 && code <= 0xD7; }

struct Marker {
    std::uint64_t offset;  // of the 0xFF right before the code
    std::uint8_t code;
};

// The next marker, the way the decoder finds it: any bytes up to a 0xFF, fill
// bytes 0xFF, then a code; 0x00 after 0xFF is stuffing, and inside entropy-coded
// data the restart markers belong to the data.
std::optional<Marker> NextMarker(ChunkReader& in, bool in_data) {
    for (;;) {
        if (!in.SkipPast(0xFF)) return std::nullopt;
        std::uint8_t code = 0xFF;
        while (code == 0xFF) {
            if (in.remaining() == 0) return std::nullopt;
            code = in.Next();
        }
        if (code == 0 || (in_data && IsRestart(code))) continue;
        return Marker{in.position() - 2, code};
    }
}

std::optional<unsigned> Read16(ChunkReader& in) {
    if (in.remaining() < 2) return std::nullopt;
    const unsigned high = in.Next();
    return high << 8 | in.Next();
}

// The start-of-scan header after its marker; nothing when the decoder would refuse
// it, so that no decision rests on a header it never takes.
std::optional<ScanHeader> ReadScanHeader(ChunkReader& in, std::span<const int> component_ids) {
    const auto length = Read16(in);
    if (!length || *length < 6 || in.remaining() < *length - 2) return std::nullopt;
    ScanHeader scan;
    scan.count = in.Next();
    if (scan.count < 1 || scan.count > 4 || *length != 6 + 2u * static_cast<unsigned>(scan.count)) return std::nullopt;
    for (int i = 0; i < scan.count; ++i) {
        const int id = in.Next();
        in.Next();  // table numbers
        int index = -1;
        for (std::size_t c = 0; c < component_ids.size(); ++c)
            if (component_ids[c] == id) index = static_cast<int>(c);
        for (int j = 0; j < i; ++j)
            if (scan.components[static_cast<std::size_t>(j)] == index) index = -1;
        if (index < 0) return std::nullopt;
        scan.components[static_cast<std::size_t>(i)] = index;
    }
    scan.ss = in.Next();
    scan.se = in.Next();
    const int approximation = in.Next();
    scan.ah = approximation >> 4;
    scan.al = approximation & 15;
    // What the progressive decoder refuses outright.
    const bool dc = scan.ss == 0;
    if (dc ? scan.se != 0 : (scan.ss > scan.se || scan.se > 63 || scan.count != 1)) return std::nullopt;
    if ((scan.ah != 0 && scan.al != scan.ah - 1) || scan.al > 13) return std::nullopt;
    return scan;
}

}  // namespace

ScanList ListScans(const ByteSource& source, std::uint64_t from, std::span<const int> component_ids,
                   std::size_t max_scans, const DecodeOptions& options) {
    ChunkReader in(source, from, source.size(), options);
    ScanList list;
    ScanHeader* open = nullptr;  // the listed scan whose data is being stepped over
    bool in_data = true;
    for (;;) {
        const std::optional<Marker> marker = NextMarker(in, in_data);
        if (open) open->end = marker ? marker->offset : in.position();
        open = nullptr;
        in_data = false;
        if (!marker || marker->code == kEoi) {
            list.complete = true;
            return list;
        }
        if (marker->code == kSoi) return list;
        if (IsRestart(marker->code) || marker->code == kTem) continue;  // no length; the decoder ignores them
        if (marker->code == kSos) {
            if (list.scans.size() >= max_scans) return list;
            std::optional<ScanHeader> scan = ReadScanHeader(in, component_ids);
            if (!scan) return list;
            scan->begin = marker->offset;
            list.scans.push_back(*scan);
            open = &list.scans.back();
            in_data = true;
            continue;
        }
        const auto length = Read16(in);
        if (!length || *length < 2) return list;
        for (unsigned n = *length - 2; n > 0 && in.remaining() > 0; --n) in.Next();
    }
}

}  // namespace nuthumb
