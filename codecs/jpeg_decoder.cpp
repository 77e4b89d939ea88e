#include "codecs/jpeg_decoder.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <string>

#include "codecs/jpeg_markers.h"
#include "codecs/jpeg_scale_choice.h"
#include "codecs/jpeg_scans.h"
#include "codecs/jpeg_state.h"
#include "pixels/area_feed.h"
#include "pixels/load_error.h"
#include "pixels/nearest_map.h"
#include "pixels/scaler.h"
#include "platform/file_io.h"
#include "platform/translate.h"

namespace nuthumb {

void JpegDecodeState::ThrowFailure() const {
    if (source.read_error[0] != '\0') throw IoError(source.read_error);
    if (trap.stopped) throw DecodeCancelled();
    throw LoadError("JPEG: " + trap.Message());
}

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

// The picked pixels of one decoded row, as B,G,R,0. The output is chosen once
// per row, not per pixel: this loop runs for every pixel of every thumbnail.
void SamplePicked(Output output, const std::uint8_t* row, const std::vector<std::uint32_t>& offsets,
                  const std::vector<PaletteEntry>& palette, std::uint8_t* out) {
    switch (output) {
        case Output::kBgr:
            for (const std::uint32_t offset : offsets) {
                const std::uint8_t* in = row + offset;
                out[0] = in[0], out[1] = in[1], out[2] = in[2];
                out += 4;
            }
            return;
        case Output::kGray:
            for (const std::uint32_t offset : offsets) {
                const PaletteEntry& p = palette[row[offset]];
                out[0] = p.blue, out[1] = p.green, out[2] = p.red;
                out += 4;
            }
            return;
        case Output::kCmyk:
            for (const std::uint32_t offset : offsets) {
                CmykToBgr(row + offset, out);
                out += 4;
            }
            return;
    }
}

// The library call may jump back into this frame; nothing with a destructor lives
// here, so the jump skips no cleanup.
void StartDecompress(JpegDecodeState& d) {
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
void DecodeRows(JpegDecodeState& d, Where where, Done done, Needed needed) {
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

// Creates the library object over `source` and reads the headers; returns whether
// the file has more than one scan. Like StartDecompress, owns nothing.
bool OpenDecoder(JpegDecodeState& d, const ByteSource& source, bool read_orientation, bool read_profile) {
    d.trap.InstallInto(reinterpret_cast<j_common_ptr>(&d.info));
    if (setjmp(d.trap.jump)) d.ThrowFailure();
    jpeg_create_decompress(&d.info);
    d.source.InstallInto(d.info, source);
    WatchScans(d);
    // Saved markers would be kept whole, every one of them: the orientation needs
    // only the first Exif segment.
    if (read_orientation) KeepExifSegment(d);
    if (read_profile) KeepProfileSegments(d);
    jpeg_read_header(&d.info, TRUE);
    if (std::uint64_t{d.info.image_width} * d.info.image_height > kMaxPixels)
        throw LoadError(std::string("JPEG: ") + Tr("画像の画素数が上限を超えています"));
    Configure(d.info);
    return jpeg_has_multiple_scans(&d.info) != FALSE;
}

// The smallest of the scales M/8 tried whose output leaves the area filter enough
// to average for a width x height picture (jpeg_scale_choice.h); the full size
// when none does.
void ChooseScale(jpeg_decompress_struct& info, std::int32_t width, std::int32_t height) {
    info.scale_denom = 8;
    for (const unsigned m : kAreaDctScaleNumerators) {
        info.scale_num = m;
        jpeg_calc_output_dimensions(&info);
        if (LeavesEnoughToAverage(info.output_width, info.output_height, width, height)) return;
    }
}

void ChooseScaledOutput(JpegDecodeState& d, std::int32_t width, std::int32_t height) {
    if (setjmp(d.trap.jump)) d.ThrowFailure();
    // Averaging needs the gray levels themselves, not a dithered palette.
    d.info.quantize_colors = FALSE;
    ChooseScale(d.info, width, height);
}

// The scale (numerator over 8) each plan alone would be decoded at.
void ChoosePlanScales(JpegDecodeState& d, std::span<const DecodePlan> plans, std::vector<unsigned>& numerators) {
    if (setjmp(d.trap.jump)) d.ThrowFailure();
    for (std::size_t i = 0; i < plans.size(); ++i) {
        ChooseScale(d.info, ColumnsOf(plans[i].window, plans[i].width).scaled,
                    RowsOf(plans[i].window, plans[i].height).scaled);
        numerators[i] = d.info.scale_num;
    }
}

}  // namespace

JpegDecoder::JpegDecoder(const ByteSource& source, DecodeOptions options, bool read_orientation, bool read_profile)
    : state_(std::make_unique<JpegDecodeState>()) {
    state_->options = std::move(options);
    progressive_ = OpenDecoder(*state_, source, read_orientation, read_profile);
    orientation_ = OrientationOf(*state_);
    if (read_profile) colour_ = ProfileConversion(*state_);
}

JpegDecoder::~JpegDecoder() = default;

std::int32_t JpegDecoder::width() const {
    return static_cast<std::int32_t>(state_->info.image_width);
}
std::int32_t JpegDecoder::height() const {
    return static_cast<std::int32_t>(state_->info.image_height);
}

std::uint64_t JpegDecoder::WorkingMemory(bool whole_image) const {
    const jpeg_decompress_struct& info = state_->info;
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
    // The ICC profile's segments, held in the library's pool, and the
    // conversion made of them.
    bytes += 2 * std::uint64_t{state_->icc.bytes};
    const std::uint64_t pixels = std::uint64_t{info.image_width} * info.image_height;
    // Rows of every component at the largest sampling, twice over for the
    // decoder's context rows.
    bytes += std::uint64_t{info.image_width} * static_cast<std::uint64_t>(info.num_components) * 2 * DCTSIZE * 4;
    if (whole_image) bytes += pixels * 3 * (progressive_ ? 3 : 2);
    return bytes;
}

Image JpegDecoder::DecodeImage() {
    JpegDecodeState& d = *state_;
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

Image JpegDecoder::DecodeSampled(const std::vector<std::int32_t>& columns, const std::vector<std::int32_t>& rows) {
    Image thumb = BlankThumbnail(static_cast<std::int32_t>(columns.size()), static_cast<std::int32_t>(rows.size()));
    JpegDecodeState& d = *state_;
    StartDecompress(d);
    const Output output = OutputOf(d.info);
    const std::int32_t source_width = static_cast<std::int32_t>(d.info.output_width);
    const std::int32_t source_height = static_cast<std::int32_t>(d.info.output_height);
    const int bytes = BytesPerPixel(output);

    std::vector<PaletteEntry> palette;
    if (output == Output::kGray) palette = GrayPalette(d.info);
    std::vector<std::uint32_t> offsets(columns.size());
    for (std::size_t dx = 0; dx < columns.size(); ++dx) offsets[dx] = static_cast<std::uint32_t>(columns[dx] * bytes);
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(source_width) * bytes);
    const NearestRows picks(rows);
    // Rows that no thumbnail row picks are skipped where that keeps the kept rows
    // identical (libjpeg-turbo still decodes the entropy data, upsampling context
    // and smoothing neighbours they need). Dithered gray output carries its error
    // from row to row and must see every row.
    const bool may_skip = output != Output::kGray && SkippingKeepsRowsExact(d.info);
    DecodeRows(
        d, [&](std::int32_t) { return scratch.data(); },
        [&](std::int32_t y, JSAMPROW row) {
            picks.Fill(thumb, y, [&](std::uint8_t* out) { SamplePicked(output, row, offsets, palette, out); });
        },
        [&](std::int32_t y) {
            if (!may_skip) return y;
            // The last row is read, not skipped: skipping to the end would leave
            // the rest of the data unread, and a cut file unnoticed.
            const std::int32_t next = picks.NextTaken(y);
            return next < 0 ? std::max(y, source_height - 1) : next;
        });
    thumb.damage = d.trap.damage;
    return thumb;
}

Image JpegDecoder::DecodeArea(std::int32_t width, std::int32_t height, const ScaleWindow& window) {
    DecodePlan plan{false, width, height, true};
    plan.window = window;
    return std::move(DecodeAreas(std::span<const DecodePlan>(&plan, 1)).front());
}

std::vector<Image> JpegDecoder::DecodeAreas(std::span<const DecodePlan> plans) {
    std::vector<Image> thumbs;
    std::int32_t widest = 0, highest = 0;  // the scaled pictures' largest sides
    for (const DecodePlan& plan : plans) {
        thumbs.push_back(BlankThumbnail(plan.width, plan.height));
        widest = std::max(widest, ColumnsOf(plan.window, plan.width).scaled);
        highest = std::max(highest, RowsOf(plan.window, plan.height).scaled);
    }
    JpegDecodeState& d = *state_;
    std::vector<unsigned> own(plans.size());
    ChoosePlanScales(d, plans, own);
    ChooseScaledOutput(d, widest, highest);
    if (!d.options.read_every_scan) LeaveOutUnreadScans(d);
    StartDecompress(d);
    const Output output = OutputOf(d.info);
    const std::int32_t source_width = static_cast<std::int32_t>(d.info.output_width);
    const std::int32_t source_height = static_cast<std::int32_t>(d.info.output_height);
    const int bytes = output == Output::kGray ? 1 : 3;
    std::vector<std::uint8_t> scratch(static_cast<std::size_t>(source_width) * BytesPerPixel(output));
    std::vector<std::uint8_t> bgr(output == Output::kCmyk ? static_cast<std::size_t>(source_width) * 3 : 0);
    AreaFeed feed(source_width, source_height, bytes);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        // A thumbnail that alone would be decoded coarser averages blocks of this
        // decode instead: a quarter or less of the pixels, at that decode's size.
        const int factor = own[i] < d.info.scale_num ? static_cast<int>(d.info.scale_num / own[i]) : 1;
        feed.Add(thumbs[i], plans[i].window, factor);
    }
    DecodeRows(
        d, [&](std::int32_t) { return scratch.data(); },
        [&](std::int32_t y, JSAMPROW row) {
            if (output == Output::kCmyk) {
                for (std::size_t x = 0; x < bgr.size() / 3; ++x) CmykToBgr(row + 4 * x, bgr.data() + 3 * x);
                row = bgr.data();
            } else if (colour_ && output == Output::kBgr) {
                // Averaging mixes colours: they must be in sRGB first.
                colour_->Convert(row, static_cast<std::size_t>(source_width), 3);
            }
            feed.AddRow(y, row);
        },
        [](std::int32_t y) { return y; });
    feed.Finish();
    for (Image& thumb : thumbs) thumb.damage = d.trap.damage;
    return thumbs;
}

}  // namespace nuthumb
