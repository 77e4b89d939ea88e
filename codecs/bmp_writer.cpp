#include "codecs/bmp_writer.h"

#include <algorithm>
#include <utility>

#include "pixels/load_error.h"
#include "platform/translate.h"

namespace nuthumb {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelsPerMetre = 2834;  // 72 dots per inch
constexpr std::size_t kHorizontalResolutionOffset = 38;
constexpr std::size_t kVerticalResolutionOffset = 42;

void PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

void SetResolution(std::vector<std::uint8_t>& file) {
    PutLe(file, kHorizontalResolutionOffset, kPixelsPerMetre, 4);
    PutLe(file, kVerticalResolutionOffset, kPixelsPerMetre, 4);
}

// A run-length-compressed source copied unscaled: its own bytes, which the reader
// has already checked hold a full info header (the two fields included).
std::vector<std::uint8_t> ComposeFromFileBytes(std::vector<std::uint8_t> file) {
    if (file.size() < kVerticalResolutionOffset + 4) {
        throw LoadError("stored BMP file is too short to hold its resolution fields");
    }
    SetResolution(file);
    return file;
}

}  // namespace

std::vector<std::uint8_t> ComposeBitmapFile(const Image& image) {
    if (!image.file_bytes.empty()) return ComposeFromFileBytes(image.file_bytes);
    if (image.empty()) throw LoadError("an empty image has no BMP form");

    const std::uint32_t bits = image.bits_per_pixel;
    const bool indexed = bits <= 8;
    const bool masks = !indexed && image.compression == 3;
    if (indexed && (image.palette.empty() || image.palette.size() > (std::size_t{1} << bits))) {
        throw LoadError("image of " + std::to_string(bits) + " bits per pixel has " +
                        std::to_string(image.palette.size()) + " colour-table entries");
    }
    // 64 bits throughout: the sum must still fit the 32-bit size field.
    const std::uint64_t stride = (static_cast<std::uint64_t>(image.width) * bits + 31) / 32 * 4;
    const std::uint64_t image_size = stride * static_cast<std::uint64_t>(image.height);
    if (image.pixels.size() != image_size) throw LoadError("image holds the wrong number of pixel bytes");
    const std::uint64_t header = kInfoHeaderSize + (indexed ? 4 * image.palette.size() : masks ? 12 : 0);
    const std::uint64_t total = kFileHeaderSize + header + image_size;
    if (total > UINT32_MAX) throw LoadError(Tr("BMP ファイルにするには画像が大きすぎます"));

    std::vector<std::uint8_t> file(static_cast<std::size_t>(total), 0);
    file[0] = 'B';
    file[1] = 'M';
    PutLe(file, 2, static_cast<std::uint32_t>(total), 4);
    PutLe(file, 10, static_cast<std::uint32_t>(kFileHeaderSize + header), 4);
    PutLe(file, 14, kInfoHeaderSize, 4);
    PutLe(file, 18, static_cast<std::uint32_t>(image.width), 4);
    // A copied top-down source keeps its order: negative height.
    PutLe(file, 22, static_cast<std::uint32_t>(image.top_down ? -image.height : image.height), 4);
    PutLe(file, 26, 1, 2);
    PutLe(file, 28, bits, 2);
    PutLe(file, 30, masks ? 3 : 0, 4);
    PutLe(file, 34, static_cast<std::uint32_t>(image_size), 4);
    SetResolution(file);
    PutLe(file, 46, indexed ? static_cast<std::uint32_t>(image.palette.size()) : 0, 4);
    PutLe(file, 50, image.colors_important, 4);

    std::size_t at = kFileHeaderSize + kInfoHeaderSize;
    if (masks) {
        for (const std::uint32_t m : image.masks) {
            PutLe(file, at, m, 4);
            at += 4;
        }
    }
    if (indexed) {
        for (const PaletteEntry& c : image.palette) {
            file[at++] = c.blue;
            file[at++] = c.green;
            file[at++] = c.red;
            file[at++] = 0;
        }
    }
    std::copy(image.pixels.begin(), image.pixels.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
    return file;
}

std::vector<std::uint8_t> ComposeBitmapFile(Image&& image) {
    if (!image.file_bytes.empty()) return ComposeFromFileBytes(std::move(image.file_bytes));
    return ComposeBitmapFile(image);
}

}  // namespace nuthumb
