#include "codecs/codec_table.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "codecs/bmp_codec.h"
#include "codecs/bmp_writer.h"
#include "codecs/complex_rows.h"
#include "codecs/complex_sniff.h"
#include "codecs/jpeg_codec.h"
#include "codecs/jpeg_encoder.h"
#include "codecs/png_reader.h"
#include "codecs/png_writer.h"
#include "codecs/webp_reader.h"
#include "codecs/webp_writer.h"
#include "pixels/alpha.h"
#include "platform/path_util.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

// Cameras and phones name JPEGs in all four ways, and HEIF files in three;
// each camera maker names its RAW files its own way.
constexpr std::string_view kBmpExtensions[] = {".bmp"};
constexpr std::string_view kJpegExtensions[] = {".jpg", ".jpeg", ".jpe", ".jfif"};
constexpr std::string_view kPngExtensions[] = {".png"};
constexpr std::string_view kWebpExtensions[] = {".webp"};
constexpr std::string_view kHeicExtensions[] = {".heic", ".heif", ".hif"};
constexpr std::string_view kAvifExtensions[] = {".avif"};
constexpr std::string_view kJxlExtensions[] = {".jxl"};
constexpr std::string_view kRawExtensions[] = {".dng", ".cr2", ".cr3", ".nef", ".arw", ".raf", ".orf", ".rw2"};

// BMP and JPEG targets have no alpha: the picture is laid over white.
std::vector<std::uint8_t> WriteBmp(Image&& image, const EncodeRequest&) {
    FlattenOverWhite(image);
    return ComposeBitmapFile(std::move(image));
}
std::vector<std::uint8_t> WriteJpeg(Image&& image, const EncodeRequest& request) {
    FlattenOverWhite(image);
    return EncodeJpeg(image, request.quality, request.progressive);
}
std::vector<std::uint8_t> WritePng(Image&& image, const EncodeRequest&) { return EncodePng(image); }
std::vector<std::uint8_t> WriteWebp(Image&& image, const EncodeRequest& request) {
    return EncodeWebp(image, request.quality);
}

template <ImageFormat kFormat>
Decoded DecodeComplexRow(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options) {
    return DecodeComplex(kFormat, source, request, options);
}

// In item order. Captions are the window's items, the plain names of the formats.
constexpr Codec kTable[] = {
    {ImageFormat::kBmp, "bmp", "BMP", N_("bitmap"), kBmpExtensions, IsBmp, true, false,  //
     DecodeBmp, WriteBmp},
    {ImageFormat::kJpeg, "jpg", "JPEG", N_("jpeg"), kJpegExtensions, IsJpeg, true, false,  //
     DecodeJpeg, WriteJpeg},
    {ImageFormat::kPng, "png", "PNG", N_("png"), kPngExtensions, IsPng, false, false,  //
     DecodePng, WritePng},
    {ImageFormat::kWebp, "webp", "WebP", N_("webp"), kWebpExtensions, IsWebp, false, false,  //
     DecodeWebp, WriteWebp},
    {ImageFormat::kHeic, "heic", "HEIC", N_("heic"), kHeicExtensions, IsHeic, false, true,  //
     DecodeComplexRow<ImageFormat::kHeic>, nullptr},
    {ImageFormat::kAvif, "avif", "AVIF", N_("avif"), kAvifExtensions, IsAvif, false, true,  //
     DecodeComplexRow<ImageFormat::kAvif>, nullptr},
    {ImageFormat::kJxl, "jxl", "JPEG XL", N_("jxl"), kJxlExtensions, IsJxl, false, true,  //
     DecodeComplexRow<ImageFormat::kJxl>, nullptr},
    {ImageFormat::kRaw, "raw", "RAW", N_("raw"), kRawExtensions, IsRaw, false, true,  //
     DecodeComplexRow<ImageFormat::kRaw>, nullptr},
};

}  // namespace

std::span<const Codec> Codecs() { return kTable; }

const Codec& CodecOf(ImageFormat format) {
    for (const Codec& codec : kTable)
        if (codec.format == format) return codec;
    return kTable[ItemOf(ImageFormat::kJpeg)];  // unreachable: every format has its row
}

std::optional<ImageFormat> FormatOfItem(std::int32_t item) {
    for (const Codec& codec : kTable)
        if (ItemOf(codec.format) == item) return codec.format;
    return std::nullopt;
}

std::string FormatList(std::string_view separator, std::string_view last_separator) {
    std::string list;
    const std::size_t count = std::size(kTable);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) list += i + 1 == count ? last_separator : separator;
        list += kTable[i].label;
    }
    return list;
}

std::optional<ImageFormat> FormatNamed(std::string_view name) {
    for (const Codec& codec : kTable)
        if (codec.name == name) return codec.format;
    return std::nullopt;
}

bool NamesFormat(std::string_view extension, ImageFormat format) {
    const std::string lower = AsciiLower(extension);
    const auto names = CodecOf(format).extensions;
    return std::find(names.begin(), names.end(), lower) != names.end();
}

std::optional<ImageFormat> FormatOfExtension(std::string_view extension) {
    const std::string lower = AsciiLower(extension);
    for (const Codec& codec : kTable)
        if (std::find(codec.extensions.begin(), codec.extensions.end(), lower) != codec.extensions.end())
            return codec.format;
    return std::nullopt;
}

std::uint64_t EstimateMemory(ImageFormat format, const ByteSource& source, const DecodeRequest& request) {
    struct Asked {
        std::uint64_t bytes;
    };
    DecodeOptions options;
    options.reserve_memory = [](std::uint64_t bytes, const DecodeOptions&) { throw Asked{bytes}; };
    try {
        CodecOf(format).decode(source, request, options);
    } catch (const Asked& asked) {
        return asked.bytes;
    }
    return 0;
}

std::optional<ImageFormat> SniffFormat(std::span<const std::uint8_t> head) {
    for (const Codec& codec : kTable)
        if (codec.sniff(head)) return codec.format;
    return std::nullopt;
}

ImageFormat DecodedFormatOf(std::span<const std::uint8_t> head, ImageFormat listed) {
    const std::optional<ImageFormat> found = SniffFormat(head);
    if (!found || (CodecOf(*found).name_decides && CodecOf(listed).name_decides)) return listed;
    return *found;
}

}  // namespace nuthumb
