#pragma once
// The codec table: every format the program reads or writes, one row each. All
// that lists or chooses formats (listing, sniffing, the choice of decoder and
// encoder, option names, help, completion, the window's items, settings items)
// loops over it or looks a row up in it.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "codecs/codec.h"
#include "platform/byte_source.h"

namespace nuthumb {

// The stored item that stands for every readable format at once, beside the
// formats' own numbers.
inline constexpr std::int32_t kEveryFormatItem = 6;

// Every row, in item order.
std::span<const Codec> Codecs();

// The row of `format`.
const Codec& CodecOf(ImageFormat format);

// The format a stored item names; nothing for an item no format has (every
// format, or a number no version gave a meaning).
std::optional<ImageFormat> FormatOfItem(std::int32_t item);

inline constexpr std::int32_t ItemOf(ImageFormat format) { return static_cast<std::int32_t>(format); }

// The labels of every readable format, joined by `separator` and, before the
// last, by `last_separator` ("BMP, JPEG, PNG or WebP").
std::string FormatList(std::string_view separator, std::string_view last_separator);

// The format whose command-line word is `name`.
std::optional<ImageFormat> FormatNamed(std::string_view name);

// Whether `extension` (with its dot, in any letter case) is one of the format's.
bool NamesFormat(std::string_view extension, ImageFormat format);
// The format `extension` (any letter case) names, if any.
std::optional<ImageFormat> FormatOfExtension(std::string_view extension);

// The extension a file of the format is written under.
inline std::string_view ExtensionOfFormat(ImageFormat format) { return CodecOf(format).extensions[0]; }

// About how many bytes the decode of `source` holds at its peak, from its
// headers alone: what the decode asks the memory budget for before it
// allocates, found by running it up to that question. Throws what the decode
// throws for headers it refuses.
std::uint64_t EstimateMemory(ImageFormat format, const ByteSource& source, const DecodeRequest& request);

// How many leading bytes SniffFormat looks at (an ISO-BMFF file type box lists
// its compatible brands there).
inline constexpr std::size_t kSniffBytes = 64;

// The format whose signature `head` (a file's first bytes) starts with, if any.
std::optional<ImageFormat> SniffFormat(std::span<const std::uint8_t> head);

// The format a file is decoded as: what its first bytes say (`head`), else
// `listed` (the format its extension names), so that a damaged file still fails
// with the reason of the format it claims to be. Between two formats whose
// rows let the name decide, the listed one stays.
ImageFormat DecodedFormatOf(std::span<const std::uint8_t> head, ImageFormat listed);

}  // namespace nuthumb
