#pragma once
// codecs/ reads and writes every image format. Each format is one codec: a file
// pair of its own (split by job where the format is large) and one row of the
// codec table (codec_table.h), which is all the rest of the program knows of it.
//
// What every codec offers: a test of a file's first bytes, a decode from a
// source to an image by a plan, which tells its peak memory from the headers
// first, and an encode where the format is written.
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "codecs/image_format.h"
#include "pixels/decode_options.h"
#include "pixels/image.h"
#include "pixels/orientation.h"
#include "pixels/thumbnail_plan.h"
#include "platform/byte_source.h"

namespace nuthumb {

// The plan for a picture shown as width x height (after its turn). Throws
// LoadError when the conversion has no sound result for that size.
using PlanOf = std::function<DecodePlan(std::int32_t width, std::int32_t height)>;

// What a conversion asks of a decoder.
struct DecodeRequest {
    PlanOf plan;
    // Turn the picture upright as its EXIF Orientation says (formats whose turn is
    // metadata a viewer may ignore; a format whose turn is part of the picture
    // always applies it).
    bool auto_orient = false;
    // Convert a source with an embedded RGB ICC profile into sRGB before scaling.
    bool to_srgb = false;
    // A decoder may make a thumbnail from a preview the file embeds instead of
    // the whole picture, where the preview is a scaled copy of it at least the
    // thumbnail's size; false: always from the whole picture.
    bool previews = true;
    // More thumbnails of the same decode (a gallery's sizes), planned as `plan`
    // is, never whole; their images come back in Decoded::more in this order. A
    // decoder that leaves `more` short has its caller decode them again.
    std::vector<PlanOf> more_plans{};

    // The plan for a picture stored as width x height that `turn` shows upright,
    // in stored orientation: the sides swapped back for a quarter turn, the
    // picks flipped along the axes the turn mirrors.
    DecodePlan PlanFor(std::int32_t width, std::int32_t height, Orientation turn = 1) const;
    // PlanFor of `plan`, then of each of `more_plans`.
    std::vector<DecodePlan> PlansFor(std::int32_t width, std::int32_t height, Orientation turn = 1) const;
};

struct Decoded {
    Image image;           // in the stored orientation
    Orientation turn = 1;  // what still turns it upright; the caller applies it
    bool progressive = false;  // a progressive JPEG: its JPEG target is progressive too
    std::vector<Image> more{};  // the thumbnails of the request's more_plans
};

// The decode's images, in the order of its plans, as a Decoded: the first, then
// the request's more_plans.
Decoded DecodedOf(std::vector<Image>&& images, Orientation turn = 1);

struct EncodeRequest {
    int quality = 90;  // of a lossy format, 1..100
    bool progressive = false;
};

struct Codec {
    ImageFormat format;
    std::string_view name;   // the command line's word ("jpg")
    std::string_view label;  // how messages and help name it ("JPEG")
    const char* caption;     // the window's item, marked for translation
    // Lower case, with the dot; a source is listed by any of them in any letter
    // case, and the first is the one a target is written under.
    std::span<const std::string_view> extensions;
    // Whether a file's first bytes (kSniffBytes of them, fewer for a short
    // file) are of this format.
    bool (*sniff)(std::span<const std::uint8_t> head);
    // Between two formats that both say so the extension decides, not the bytes:
    // a BMP named .jpg fails in the JPEG reader, as it always has.
    bool name_decides;
    // Decoded by a large parser of a complex container: untrusted code that runs
    // where its crash or runaway costs only that file.
    bool complex;
    // Throws LoadError for a damaged file or one without a sound result, IoError
    // when the source cannot be read, DecodeCancelled when the options stop it.
    // Once its headers are read, and before it allocates anything of the
    // picture's size, asks the options once for the memory it will hold at its
    // peak (EstimateMemory asks that alone).
    Decoded (*decode)(const ByteSource& source, const DecodeRequest& request, const DecodeOptions& options);
    // The whole file of `image` (any form the decoders give); null for a format
    // that is only read. Throws EncodeError.
    std::vector<std::uint8_t> (*encode)(Image&& image, const EncodeRequest& request);

    bool writable() const { return encode != nullptr; }
};

}  // namespace nuthumb
