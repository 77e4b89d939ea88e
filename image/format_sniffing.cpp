#include "image/format_sniffing.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace nuthumb {
namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view text) {
    return bytes.size() >= at + text.size() && std::memcmp(bytes.data() + at, text.data(), text.size()) == 0;
}

// The brands of a HEIF file type box: AV1-coded images first, since an AVIF
// file usually also lists the generic image brand "mif1".
std::optional<ImageFormat> SniffFileType(std::span<const std::uint8_t> head) {
    if (!StartsWith(head, 4, "ftyp")) return std::nullopt;
    const std::size_t box = std::size_t{head[0]} << 24 | std::size_t{head[1]} << 16 | std::size_t{head[2]} << 8 | head[3];
    // The major brand at 8, the minor version at 12, compatible brands from 16.
    const std::size_t end = std::min(box, head.size());
    constexpr std::array<std::string_view, 2> kAv1{"avif", "avis"};
    constexpr std::array<std::string_view, 7> kHeif{"heic", "heix", "hevc", "hevx", "heim", "mif1", "msf1"};
    std::optional<ImageFormat> found;
    for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {
        for (const auto brand : kAv1)
            if (StartsWith(head, at, brand)) return ImageFormat::kAvif;
        for (const auto brand : kHeif)
            if (StartsWith(head, at, brand)) found = ImageFormat::kHeic;
    }
    return found;
}

}  // namespace

std::optional<ImageFormat> SniffFormat(std::span<const std::uint8_t> head) {
    if (StartsWith(head, 0, "\x89PNG\r\n\x1a\n")) return ImageFormat::kPng;
    if (StartsWith(head, 0, "RIFF") && StartsWith(head, 8, "WEBP")) return ImageFormat::kWebp;
    if (StartsWith(head, 0, "\xff\xd8\xff")) return ImageFormat::kJpeg;
    if (StartsWith(head, 0, "BM")) return ImageFormat::kBmp;
    return SniffFileType(head);
}

ImageFormat DecodedFormatOf(const ByteSource& source, ImageFormat listed) {
    std::array<std::uint8_t, kSniffBytes> head{};
    const std::size_t n = source.ReadAt(0, head);
    const std::optional<ImageFormat> found = SniffFormat({head.data(), n});
    // Between BMP and JPEG the name decides, as it always has: a BMP named
    // .jpg fails in the JPEG reader.
    const auto old = [](ImageFormat f) { return f == ImageFormat::kBmp || f == ImageFormat::kJpeg; };
    if (!found || (old(*found) && old(listed))) return listed;
    return *found;
}

}  // namespace nuthumb
