#pragma once
// How the complex rows know their files, from the first bytes alone: kept apart
// from their decoders, which only some processes link (complex_rows.h).
#include <cstdint>
#include <span>

namespace nuthumb {

// Whether a file's type box names an HEVC-coded HEIF brand (IsHeic) or an
// AV1-coded one (IsAvif, which wins: an AVIF file also names "mif1").
bool IsHeic(std::span<const std::uint8_t> head);
bool IsAvif(std::span<const std::uint8_t> head);

// Whether a file starts with a JPEG XL codestream or its container's signature box.
bool IsJxl(std::span<const std::uint8_t> head);

// Whether a file starts as a RAW format LibRaw reads: a TIFF header (DNG, CR2,
// NEF, ARW), ORF's and RW2's variants of it, RAF's signature or CR3's file type.
bool IsRaw(std::span<const std::uint8_t> head);

}  // namespace nuthumb
