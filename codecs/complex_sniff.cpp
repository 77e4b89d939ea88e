#include "codecs/complex_sniff.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

#include "codecs/bytes_at.h"

namespace nuthumb {
namespace {

// The brands of a HEIF file type box: AV1-coded images first, since an AVIF
// file usually also lists the generic image brand "mif1".
enum class Brand { kNone, kHeic, kAvif };
Brand BrandOf(std::span<const std::uint8_t> head) {
    const auto at = [&head](std::size_t offset, std::string_view text) { return HasBytesAt(head, offset, text); };
    if (!at(4, "ftyp")) return Brand::kNone;
    const std::size_t box = std::size_t{head[0]} << 24 | std::size_t{head[1]} << 16 | std::size_t{head[2]} << 8 | head[3];
    // The major brand at 8, the minor version at 12, compatible brands from 16.
    const std::size_t end = std::min(box, head.size());
    constexpr std::array<std::string_view, 2> kAv1{"avif", "avis"};
    constexpr std::array<std::string_view, 7> kHevc{"heic", "heix", "hevc", "hevx", "heim", "mif1", "msf1"};
    Brand found = Brand::kNone;
    for (std::size_t offset = 8; offset + 4 <= end; offset += offset == 8 ? 8 : 4) {
        for (const auto brand : kAv1)
            if (at(offset, brand)) return Brand::kAvif;
        for (const auto brand : kHevc)
            if (at(offset, brand)) found = Brand::kHeic;
    }
    return found;
}

}  // namespace

bool IsHeic(std::span<const std::uint8_t> head) { return BrandOf(head) == Brand::kHeic; }
bool IsAvif(std::span<const std::uint8_t> head) { return BrandOf(head) == Brand::kAvif; }

bool IsJxl(std::span<const std::uint8_t> head) {
    static constexpr std::uint8_t kContainer[] = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    if (head.size() >= 2 && head[0] == 0xFF && head[1] == 0x0A) return true;
    return head.size() >= sizeof kContainer && std::equal(std::begin(kContainer), std::end(kContainer), head.begin());
}

bool IsRaw(std::span<const std::uint8_t> head) {
    const auto at = [&head](std::size_t offset, std::string_view text) { return HasBytesAt(head, offset, text); };
    using namespace std::string_view_literals;
    return at(0, "II*\0"sv) || at(0, "MM\0*"sv) || at(0, "IIRO"sv) || at(0, "IIRS"sv) || at(0, "MMOR"sv) ||
           at(0, "IIU\0"sv) || at(0, "FUJIFILMCCD-RAW"sv) || at(4, "ftypcrx "sv);
}

}  // namespace nuthumb
