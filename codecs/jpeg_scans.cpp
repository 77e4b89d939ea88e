#include "codecs/jpeg_scans.h"

#include <algorithm>
#include <string>

#include "codecs/jpeg_scan_choice.h"
#include "codecs/jpeg_scan_list.h"
#include "pixels/load_error.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// The reasons a progressive file is refused for its scans, in the user's language;
// written into a buffer, since the monitor must not allocate.
void TooManyScans(char (&reason)[128]) {
    std::snprintf(reason, sizeof reason, "%s (%d)", Tr("スキャンの数が上限を超えています"), kMaxJpegScans);
}
const char* RepeatedScan() { return Tr("スキャンが受け取り済みの係数を同じ精度で繰り返しています"); }

// Jumps out of the library: nothing here may need a destructor. The monitor is
// called once a scan's header is read and before its first row, so a repeated
// scan is refused before it is decoded.
void Monitor(j_common_ptr common) {
    auto* watch = reinterpret_cast<JpegScanWatch*>(common->progress);
    JpegDecodeState& d = *watch->state;
    const auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number > kMaxJpegScans) {
        char reason[128];
        TooManyScans(reason);
        d.trap.Abort(reason);
    }
    if (info->progressive_mode && info->input_scan_number != watch->checked_scan) {
        watch->checked_scan = info->input_scan_number;
        int components[MAX_COMPS_IN_SCAN];
        const int count = std::min(info->comps_in_scan, MAX_COMPS_IN_SCAN);
        for (int i = 0; i < count; ++i) components[i] = info->cur_comp_info[i]->component_index;
        if (!watch->progression.Accept({components, static_cast<std::size_t>(count)}, info->Ss, info->Se, info->Ah,
                                       info->Al))
            d.trap.Abort(RepeatedScan());
    }
    if (d.options.StopRequested()) {
        d.trap.stopped = true;
        d.trap.Abort("stopped");
    }
}

}  // namespace

void WatchScans(JpegDecodeState& d) {
    d.watch.progress.progress_monitor = Monitor;
    d.watch.state = &d;
    d.info.progress = &d.watch.progress;
}

void LeaveOutUnreadScans(JpegDecodeState& d) {
    jpeg_decompress_struct& info = d.info;
    if (!info.progressive_mode || d.source.ended) return;
    std::vector<int> ids;
    std::vector<std::uint64_t> needed;
    for (int c = 0; c < info.num_components; ++c) {
        ids.push_back(info.comp_info[c].component_id);
        needed.push_back(CoefficientsRead(info.comp_info[c].DCT_scaled_size));
    }
    // The first scan's header is already read; the walk starts in its data.
    ScanHeader first;
    first.count = std::min(info.comps_in_scan, 4);
    for (int i = 0; i < first.count; ++i) first.components[static_cast<std::size_t>(i)] = info.cur_comp_info[i]->component_index;
    first.ss = info.Ss, first.se = info.Se, first.ah = info.Ah, first.al = info.Al;
    ScanList list = ListScans(*d.source.bytes, d.source.position(), ids, kMaxJpegScans, d.options);
    list.scans.insert(list.scans.begin(), first);
    if (list.scans.size() > static_cast<std::size_t>(kMaxJpegScans)) {
        char reason[128];
        TooManyScans(reason);
        throw LoadError(std::string("JPEG: ") + reason);
    }
    ProgressionCheck progression;
    for (const ScanHeader& scan : list.scans)
        if (!progression.Accept(scan.component_span(), scan.ss, scan.se, scan.ah, scan.al))
            throw LoadError(std::string("JPEG: ") + RepeatedScan());
    // Past a marker the walk did not understand, a kept refinement could need a
    // left-out scan: then the decoder gets every scan, as it would have.
    if (!list.complete) return;
    std::vector<ByteRange> ranges = SkippableScans(list.scans, needed);
    if (ranges.empty()) return;
    // Smoothing guesses the coefficients a scan has not sent yet; with scans left
    // out it would guess where the full file gives exact values.
    info.do_block_smoothing = FALSE;
    d.source.LeaveOut(std::move(ranges));
}

}  // namespace nuthumb
