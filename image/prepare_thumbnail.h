#pragma once
// image/ turns one image file into another: it chooses the codecs (codecs/),
// plans the decode from the conversion's size rules, turns the picture upright
// and encodes the target. It knows nothing of folders, runs or hosts; the run
// layer reaches it only through this header.
//
// The half of a conversion that needs no decision and shows nothing: from the
// source file to the bytes of its target file. It depends only on the file, the
// conversion and the stop check, so a folder run may do it early, on another
// thread.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/conversion.h"
#include "pixels/decode_options.h"
#include "pixels/source_damage.h"
#include "platform/file_identity.h"

namespace nuthumb {

struct PreparedThumbnail {
    enum class Outcome {
        kReady,         // target_bytes hold the whole target file
        kCannotRead,    // the source could not be read at all; reason says why
        kDamaged,       // the source did not decode, or has no sound thumbnail;
                        // reason says why when its decoder stopped
        kCannotEncode,  // the image could not be turned into the target's format
        kCancelled,     // the stop check ended the decode
    };
    Outcome outcome = Outcome::kDamaged;
    std::vector<std::uint8_t> target_bytes;
    std::string reason;
    // For kReady: what the file did not hold, made up in the target (grey or
    // black); such a file is still reported as failed.
    SourceDamage damage = SourceDamage::kNone;
    // The file that was read, as it was when opened; nothing when it never opened.
    std::optional<FileIdentity> source;
};

// The format a source's extension names, BMP when none does.
ImageFormat SourceFormatOf(const std::string& source_path);

// Reads `source_path` as the format its first bytes show (DecodedFormatOf; by
// SourceFormatOf when they show none), scales it as `conversion` says and
// encodes the target file: alpha is kept in a PNG or WebP target and laid over
// white for a BMP or JPEG one. Never throws.
PreparedThumbnail PrepareThumbnail(const std::string& source_path, const Conversion& conversion,
                                   const DecodeOptions& options);

}  // namespace nuthumb
