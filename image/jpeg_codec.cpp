#include "image/jpeg_codec.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include <jpeglib.h>

#include "pixels/box_filter.h"
#include "image/dct_scale_choice.h"
#include "image/jpeg_error_trap.h"
#include "image/jpeg_source.h"
#include "pixels/load_error.h"
#include "image/jpeg_scan_list.h"
#include "pixels/nearest_map.h"
#include "pixels/scaler.h"
#include "image/scan_choice.h"
#include "image/scan_progression.h"
#include "platform/file_io.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// A real progressive file has about ten scans. Each scan walks every block of its
// components, so a small file that repeats empty scans costs that many passes over
// its whole image (tens of milliseconds each at 16384 x 16384); past this many the
// file is refused.
constexpr int kMaxScans = 100;

// The library calls the monitor between the pieces of a long job (each MCU row of
// each scan while a progressive file loads, each row handed out): the place to
// refuse a scan bomb and to stop when the caller asks.
struct DecodeMonitor {
    // The first member, so that the library's pointer to it is a pointer to us.
    jpeg_progress_mgr progress{};
    JpegErrorTrap* trap = nullptr;
    const DecodeOptions* options = nullptr;
    ProgressionCheck progression;
    int checked_scan = 0;  // the last scan the progression check has seen
};

// The reasons a progressive file is refused for its scans, in the user's language;
// written into a buffer, since the monitor must not allocate.
void TooManyScans(char (&reason)[128]) {
    std::snprintf(reason, sizeof reason, "%s (%d)", Tr("スキャンの数が上限を超えています"), kMaxScans);
}
const char* RepeatedScan() { return Tr("スキャンが受け取り済みの係数を同じ精度で繰り返しています"); }

// Jumps out of the library: nothing here may need a destructor. The monitor is
// called once a scan's header is read and before its first row, so a repeated
// scan is refused before it is decoded.
void Monitor(j_common_ptr common) {
    auto* monitor = reinterpret_cast<DecodeMonitor*>(common->progress);
    const auto* info = reinterpret_cast<j_decompress_ptr>(common);
    if (info->input_scan_number > kMaxScans) {
        char reason[128];
        TooManyScans(reason);
        monitor->trap->Abort(reason);
    }
    if (info->progressive_mode && info->input_scan_number != monitor->checked_scan) {
        monitor->checked_scan = info->input_scan_number;
        int components[MAX_COMPS_IN_SCAN];
        const int count = std::min(info->comps_in_scan, MAX_COMPS_IN_SCAN);
        for (int i = 0; i < count; ++i) components[i] = info->cur_comp_info[i]->component_index;
        if (!monitor->progression.Accept({components, static_cast<std::size_t>(count)}, info->Ss, info->Se, info->Ah,
                                         info->Al))
            monitor->trap->Abort(RepeatedScan());
    }
    if (monitor->options->StopRequested()) {
        monitor->trap->stopped = true;
        monitor->trap->Abort("stopped");
    }
}

}  // namespace

struct JpegCodec::Decoder {
    std::vector<std::uint8_t> owned;     // the bytes, when the caller handed them over
    std::optional<MemoryBytes> memory;   // ... and the source over them
    JpegStreamSource source;
    DecodeOptions options;
    DecodeMonitor monitor;
    JpegErrorTrap trap{};
    // The payload of the first Exif APP1 segment, when the orientation is read;
    // reserved beforehand, so that filling it inside the library never allocates.
    std::vector<std::uint8_t> exif;
    bool exif_found = false;
    jpeg_decompress_struct info{};  // zeroed: destroying an uncreated one is a no-op

    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() { jpeg_destroy_decompress(&info); }

    // After a jump back from the library: what went wrong, as the exception the
    // caller expects.
    [[noreturn]] void ThrowFailure() const {
        if (source.read_error[0] != '\0') throw IoError(source.read_error);
        if (trap.stopped) throw DecodeCancelled();
        throw LoadError("JPEG: " + trap.Message());
    }
};

namespace {

constexpr int kGrayLevels = 236;

enum class Output { kBgr, kGray, kCmyk };

Output OutputOf(const jpeg_decompress_struct& info) {
    if (info.out_color_space == JCS_GRAYSCALE) return Output::kGray;
    if (info.out_color_space == JCS_CMYK) return Output::kCmyk;
    return Output::kBgr;
}

int BytesPerPixel(Output output) {
    switch (output) {
        case Output::kGray: return 1;
        case Output::kCmyk: return 4;
        case Output::kBgr: break;
    }
    return 3;
}

// Adobe writes CMYK inverted (0 = full ink), so the ink-free share of each
// channel is the stored value itself.
inline void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr) {
    const unsigned k = cmyk[3];
    bgr[0] = static_cast<std::uint8_t>((cmyk[2] * k + 127) / 255);
    bgr[1] = static_cast<std::uint8_t>((cmyk[1] * k + 127) / 255);
    bgr[2] = static_cast<std::uint8_t>((cmyk[0] * k + 127) / 255);
}

// The codec settings of a conversion; everything else stays the library's default
// (smooth chroma upsampling, Floyd-Steinberg dithering).
void Configure(jpeg_decompress_struct& info) {
    info.scale_num = 1;
    info.scale_denom = 1;
    info.dct_method = JDCT_FLOAT;
    info.do_block_smoothing = TRUE;
    info.buffered_image = FALSE;
    switch (info.jpeg_color_space) {
        case JCS_GRAYSCALE:
            info.out_color_space = JCS_GRAYSCALE;
            info.quantize_colors = TRUE;
            info.desired_number_of_colors = kGrayLevels;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            info.out_color_space = JCS_CMYK;
            break;
        default:
            // B,G,R straight from the colour converter: no swap pass afterwards.
            // Colour spaces it cannot convert fail in jpeg_start_decompress.
            info.out_color_space = JCS_EXT_BGR;
            break;
    }
}

// The library call may jump back into this frame; nothing with a destructor lives
// here, so the jump skips no cleanup.
void StartDecompress(JpegCodec::Decoder& d) {
    if (setjmp(d.trap.jump)) d.ThrowFailure();
    jpeg_start_decompress(&d.info);
}

// Skipping rows is worth it (no inverse DCT, upsampling or colour conversion for
// them), but libjpeg-turbo keeps the following rows exact only where no component
// is upsampled vertically, or where it is upsampled 2:1 vertically by a method that
// keeps context rows: 1:2, and 2:2 on components wider than 2 samples. The sweep
// test over every sampling shows rows picked wrongly for the others (3:2, 4:2,
// every 3 or 4 vertically, and the plain 2:2 of very narrow images), which are
// decoded whole.
bool SkippingKeepsRowsExact(const jpeg_decompress_struct& info) {
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        const int across = info.max_h_samp_factor / component.h_samp_factor;
        const int down = info.max_v_samp_factor / component.v_samp_factor;
        const bool with_context = across == 1 || (across == 2 && component.downsampled_width > 2);
        if (down != 1 && !(down == 2 && with_context)) return false;
    }
    return true;
}

// Decodes the remaining rows, top first: `needed(y)` names the first row from y on
// that is wanted (the rows before it are skipped), `where(y)` the buffer row y is
// decoded into, and `done(y, row)` sees it afterwards. None may throw or own
// anything, since a fatal codec error jumps back over them.
template <class Where, class Done, class Needed>
void DecodeRows(JpegCodec::Decoder& d, Where where, Done done, Needed needed) {
    jpeg_decompress_struct& info = d.info;
    if (setjmp(d.trap.jump)) d.ThrowFailure();
    while (info.output_scanline < info.output_height) {
        const std::int32_t y = static_cast<std::int32_t>(info.output_scanline);
        const std::int32_t first = needed(y);
        if (first > y) {
            // Skipping calls no monitor, and may decode many rows' data.
            d.options.ThrowIfStopRequested();
            jpeg_skip_scanlines(&info, static_cast<JDIMENSION>(first - y));
            continue;
        }
        JSAMPROW row = where(y);
        // A memory source never suspends, so every call yields a row.
        if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
        done(y, row);
    }
    jpeg_finish_decompress(&info);
}

std::vector<PaletteEntry> GrayPalette(const jpeg_decompress_struct& info) {
    std::vector<PaletteEntry> palette(static_cast<std::size_t>(info.actual_number_of_colors));
    for (std::size_t j = 0; j < palette.size(); ++j) {
        const std::uint8_t v = info.colormap[0][j];
        palette[j] = PaletteEntry{v, v, v, 0};
    }
    return palette;
}

// The next byte of the source; ours never suspends, and ends a cut file with a
// made-up end marker.
std::uint8_t NextByte(j_decompress_ptr info) {
    jpeg_source_mgr& src = *info->src;
    if (src.bytes_in_buffer == 0) src.fill_input_buffer(info);
    --src.bytes_in_buffer;
    return *src.next_input_byte++;
}

// Moves up to `count` bytes of the segment into `out` (within its capacity) and
// returns how many it moved.
std::size_t ReadInto(j_decompress_ptr info, std::vector<std::uint8_t>& out, std::size_t count) {
    jpeg_source_mgr& src = *info->src;
    const std::size_t before = out.size();
    while (count > 0) {
        if (src.bytes_in_buffer == 0) src.fill_input_buffer(info);
        const std::size_t n = std::min({count, src.bytes_in_buffer, out.capacity() - out.size()});
        if (n == 0) break;
        out.insert(out.end(), src.next_input_byte, src.next_input_byte + n);
        src.next_input_byte += n;
        src.bytes_in_buffer -= n;
        count -= n;
    }
    return out.size() - before;
}

// The APP1 reader when the orientation is wanted: it keeps the first Exif
// segment and steps over every other (XMP, or thousands of padding segments)
// after a look at its first bytes, so the metadata costs at most one segment.
// Called from inside the library: owns nothing, allocates nothing.
boolean ReadApp1(j_decompress_ptr info) {
    auto& d = *static_cast<JpegCodec::Decoder*>(info->client_data);
    std::size_t length = static_cast<std::size_t>(NextByte(info)) << 8;
    length |= NextByte(info);
    length = length >= 2 ? length - 2 : 0;  // the length counts its own two bytes
    if (!d.exif_found) {
        d.exif.clear();
        length -= ReadInto(info, d.exif, std::min<std::size_t>(length, 6));
        if (IsExifPayload(d.exif)) {
            length -= ReadInto(info, d.exif, length);
            d.exif_found = true;
        }
    }
    if (length > 0) info->src->skip_input_data(info, static_cast<long>(length));
    return TRUE;
}

// Creates the library object over `source` and reads the headers; returns whether
// the file has more than one scan. Like StartDecompress, owns nothing.
bool OpenDecoder(JpegCodec::Decoder& d, const ByteSource& source, bool read_orientation, bool read_profile) {
    d.trap.InstallInto(reinterpret_cast<j_common_ptr>(&d.info));
    if (setjmp(d.trap.jump)) d.ThrowFailure();
    jpeg_create_decompress(&d.info);
    d.source.InstallInto(d.info, source);
    d.monitor.progress.progress_monitor = Monitor;
    d.monitor.trap = &d.trap;
    d.monitor.options = &d.options;
    d.info.progress = &d.monitor.progress;
    // Saved markers would be kept whole, every one of them: the orientation needs
    // only the first Exif segment.
    if (read_orientation) {
        d.info.client_data = &d;
        jpeg_set_marker_processor(&d.info, JPEG_APP0 + 1, ReadApp1);
    }
    if (read_profile) jpeg_save_markers(&d.info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&d.info, TRUE);
    if (std::uint64_t{d.info.image_width} * d.info.image_height > kMaxPixels)
        throw LoadError(std::string("JPEG: ") + Tr("画像の画素数が上限を超えています"));
    Configure(d.info);
    return jpeg_has_multiple_scans(&d.info) != FALSE;
}

// The ICC profile the APP2 segments hold, put together by the library (which
// allocates it with malloc); false when there is none. Owns nothing.
bool ReadProfile(JpegCodec::Decoder& d, JOCTET** profile, unsigned* length) {
    if (setjmp(d.trap.jump)) d.ThrowFailure();
    return jpeg_read_icc_profile(&d.info, profile, length) != FALSE;
}

// The smallest of the scales M/8 tried whose output leaves the area filter enough
// to average for a width x height thumbnail (dct_scale_choice.h); the full size
// when none does.
void ChooseScale(jpeg_decompress_struct& info, std::int32_t width, std::int32_t height) {
    info.scale_denom = 8;
    for (const unsigned m : kAreaDctScaleNumerators) {
        info.scale_num = m;
        jpeg_calc_output_dimensions(&info);
        if (LeavesEnoughToAverage(info.output_width, info.output_height, width, height)) return;
    }
}

void ChooseScaledOutput(JpegCodec::Decoder& d, std::int32_t width, std::int32_t height) {
    if (setjmp(d.trap.jump)) d.ThrowFailure();
    // Averaging needs the gray levels themselves, not a dithered palette.
    d.info.quantize_colors = FALSE;
    ChooseScale(d.info, width, height);
}

// After the scale is chosen, before the decode: leaves out of a progressive file
// the scans that send none of the coefficients the scale reads, for each component
// at the size the library gives it (a halved chroma component gets twice luma's).
// Every scan is looked at, so a repeated one or too many are refused here, before
// any is decoded.
void LeaveOutUnreadScans(JpegCodec::Decoder& d) {
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
    ScanList list = ListScans(*d.source.bytes, d.source.position(), ids, kMaxScans, d.options);
    list.scans.insert(list.scans.begin(), first);
    if (list.scans.size() > static_cast<std::size_t>(kMaxScans)) {
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

}  // namespace

JpegCodec::JpegCodec() = default;
JpegCodec::~JpegCodec() = default;

void JpegCodec::ReleaseSource() { decoder_.reset(); }

void JpegCodec::ReadHeader(std::vector<std::uint8_t> file) {
    auto owned = std::make_unique<Decoder>();
    owned->owned = std::move(file);
    const ByteSource& source = owned->memory.emplace(owned->owned);
    Start(std::move(owned), source, {}, false, false);
}

void JpegCodec::ReadHeader(const ByteSource& source, DecodeOptions options, bool read_orientation,
                           bool read_profile) {
    Start(std::make_unique<Decoder>(), source, std::move(options), read_orientation, read_profile);
}

void JpegCodec::Start(std::unique_ptr<Decoder> decoder, const ByteSource& source, DecodeOptions options,
                      bool read_orientation, bool read_profile) {
    decoder_ = std::move(decoder);
    decoder_->options = std::move(options);
    orientation_ = 1;
    // The largest APP1 payload; allocated before the library runs.
    if (read_orientation) decoder_->exif.reserve(0xFFFF - 2);
    colour_.reset();
    progressive_ = OpenDecoder(*decoder_, source, read_orientation, read_profile);
    if (decoder_->exif_found) orientation_ = ExifOrientation(decoder_->exif);
    JOCTET* profile = nullptr;
    unsigned length = 0;
    if (read_profile && ReadProfile(*decoder_, &profile, &length)) {
        const std::unique_ptr<JOCTET, decltype(&std::free)> owned(profile, &std::free);
        colour_ = SrgbConversion::FromProfile({owned.get(), length});
    }
}

std::int32_t JpegCodec::width() const {
    return decoder_ ? static_cast<std::int32_t>(decoder_->info.image_width) : 0;
}
std::int32_t JpegCodec::height() const {
    return decoder_ ? static_cast<std::int32_t>(decoder_->info.image_height) : 0;
}

std::uint64_t JpegCodec::WorkingMemory(bool whole_image) const {
    if (!decoder_) return 0;
    const jpeg_decompress_struct& info = decoder_->info;
    // Within the pixel limit none of these sums comes near 2^64.
    std::uint64_t bytes = 0;
    if (progressive_) {
        for (int c = 0; c < info.num_components; ++c) {
            const jpeg_component_info& comp = info.comp_info[c];
            const auto round_up = [](std::uint64_t n, std::uint64_t m) { return m > 0 ? (n + m - 1) / m * m : n; };
            bytes += round_up(comp.width_in_blocks, static_cast<std::uint64_t>(comp.h_samp_factor)) *
                     round_up(comp.height_in_blocks, static_cast<std::uint64_t>(comp.v_samp_factor)) *
                     sizeof(JBLOCK);
        }
    }
    const std::uint64_t pixels = std::uint64_t{info.image_width} * info.image_height;
    // Rows of every component at the largest sampling, twice over for the
    // decoder's context rows.
    bytes += std::uint64_t{info.image_width} * static_cast<std::uint64_t>(info.num_components) * 2 * DCTSIZE * 4;
    if (whole_image) bytes += pixels * 3 * (progressive_ ? 3 : 2);
    return bytes;
}

Image JpegCodec::DecodeImage() {
    if (!decoder_) throw LoadError("JPEG: no source");
    Decoder& d = *decoder_;
    StartDecompress(d);
    const Output output = OutputOf(d.info);

    Image image;
    image.width = static_cast<std::int32_t>(d.info.output_width);
    image.height = static_cast<std::int32_t>(d.info.output_height);
    image.bits_per_pixel = output == Output::kGray ? 8 : 24;
    if (output == Output::kGray) image.palette = GrayPalette(d.info);
    image.pixels.resize(image.stride() * static_cast<std::size_t>(image.height));

    if (output != Output::kCmyk) {
        DecodeRows(d, [&](std::int32_t y) { return image.row_from_top(y); },
                   [](std::int32_t, JSAMPROW) {}, [](std::int32_t y) { return y; });
        image.damage = d.trap.damage;
        return image;
    }
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(image.width) * 4);
    const std::size_t width = static_cast<std::size_t>(image.width);
    DecodeRows(
        d, [&](std::int32_t) { return scratch.data(); },
        [&](std::int32_t y, JSAMPROW row) {
            std::uint8_t* out = image.row_from_top(y);
            for (std::size_t x = 0; x < width; ++x) CmykToBgr(row + 4 * x, out + 3 * x);
        },
        [](std::int32_t y) { return y; });
    image.damage = d.trap.damage;
    return image;
}

Image JpegCodec::DecodeThumbnail(std::int32_t width, std::int32_t height) {
    if (!decoder_) throw LoadError("JPEG: no source");
    CheckThumbnailSize(width, height);  // before any map is made for it
    return DecodeSampled(NearestMap(this->width(), width), NearestMap(this->height(), height));
}

Image JpegCodec::DecodeSampled(const std::vector<std::int32_t>& columns, const std::vector<std::int32_t>& rows) {
    if (!decoder_) throw LoadError("JPEG: no source");
    const auto width = static_cast<std::int32_t>(columns.size());
    const auto height = static_cast<std::int32_t>(rows.size());
    Image thumb = BlankThumbnail(width, height);
    Decoder& d = *decoder_;
    StartDecompress(d);
    const Output output = OutputOf(d.info);
    const std::int32_t source_width = static_cast<std::int32_t>(d.info.output_width);
    const std::int32_t source_height = static_cast<std::int32_t>(d.info.output_height);
    const int bytes = BytesPerPixel(output);

    std::vector<PaletteEntry> palette;
    if (output == Output::kGray) palette = GrayPalette(d.info);
    std::vector<std::uint32_t> column(static_cast<std::size_t>(width));
    for (std::int32_t dx = 0; dx < width; ++dx)
        column[dx] = static_cast<std::uint32_t>(columns[dx] * bytes);
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(source_width) * bytes);

    // Rows are picked in order; an enlarged row is picked by several thumbnail rows.
    std::int32_t next = 0;
    // Rows that no thumbnail row picks are skipped where that keeps the kept rows
    // identical (libjpeg-turbo still decodes the entropy data, upsampling context
    // and smoothing neighbours they need). Dithered gray output carries its error
    // from row to row and must see every row.
    const bool may_skip = output != Output::kGray && SkippingKeepsRowsExact(d.info);
    DecodeRows(
        d, [&](std::int32_t) { return scratch.data(); },
        [&](std::int32_t y, JSAMPROW row) {
            while (next < height && rows[next] == y) {
                std::uint8_t* out = thumb.row_from_top(next++);
                for (std::int32_t dx = 0; dx < width; ++dx, out += 4) {
                    const std::uint8_t* in = row + column[dx];
                    switch (output) {
                        case Output::kBgr:
                            out[0] = in[0], out[1] = in[1], out[2] = in[2];
                            break;
                        case Output::kGray: {
                            const PaletteEntry& p = palette[*in];
                            out[0] = p.blue, out[1] = p.green, out[2] = p.red;
                            break;
                        }
                        case Output::kCmyk:
                            CmykToBgr(in, out);
                            break;
                    }
                }
            }
        },
        [&](std::int32_t y) {
            if (!may_skip) return y;
            // The last row is read, not skipped: skipping to the end would leave
            // the rest of the data unread, and a cut file unnoticed.
            if (next >= height) return std::max(y, source_height - 1);
            return std::max(y, rows[next]);
        });
    thumb.damage = d.trap.damage;
    return thumb;
}

Image JpegCodec::DecodeArea(std::int32_t width, std::int32_t height) {
    if (!decoder_) throw LoadError("JPEG: no source");
    Image thumb = BlankThumbnail(width, height);
    Decoder& d = *decoder_;
    ChooseScaledOutput(d, width, height);
    if (!d.options.read_every_scan) LeaveOutUnreadScans(d);
    StartDecompress(d);
    const Output output = OutputOf(d.info);
    const std::int32_t source_width = static_cast<std::int32_t>(d.info.output_width);
    const std::int32_t source_height = static_cast<std::int32_t>(d.info.output_height);
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(source_width) * BytesPerPixel(output));
    std::vector<std::uint8_t> bgr(output == Output::kCmyk ? static_cast<std::size_t>(source_width) * 3 : 0);
    BoxFilter filter(source_width, source_height, thumb);
    DecodeRows(
        d, [&](std::int32_t) { return scratch.data(); },
        [&](std::int32_t y, JSAMPROW row) {
            if (output == Output::kCmyk) {
                for (std::size_t x = 0; x < bgr.size() / 3; ++x) CmykToBgr(row + 4 * x, bgr.data() + 3 * x);
                filter.AddRow(y, bgr.data(), 3);
            } else {
                // Averaging mixes colours: they must be in sRGB first.
                if (colour_ && output == Output::kBgr)
                    colour_->Convert(row, static_cast<std::size_t>(source_width), 3);
                filter.AddRow(y, row, output == Output::kGray ? 1 : 3);
            }
        },
        [](std::int32_t y) { return y; });
    filter.Finish();
    thumb.damage = d.trap.damage;
    return thumb;
}

}  // namespace nuthumb
