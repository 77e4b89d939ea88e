#include "image/settings_fingerprint.h"

#include <cstdio>
#include <span>

#include "codecs/codec_table.h"
#include "platform/content_sample.h"

namespace nuthumb {
namespace {

// Raised when the same settings start to give other bytes (a changed scaler or
// encoder), so that every recorded target is made again once.
constexpr int kOutputVersion = 1;

const char* BasisWord(Basis basis) {
    switch (basis) {
        case Basis::kHeight: return "height";
        case Basis::kWidth: return "width";
        case Basis::kLarger: return "larger";
        case Basis::kNone: break;
    }
    return "none";
}

// The values in a fixed order, each as name=value.
std::string CanonicalText(const Conversion& c) {
    std::string text = "output=" + std::to_string(kOutputVersion);
    text += ";format=" + std::string(CodecOf(c.target_format).name);
    if (c.resize) {
        if (c.box == BoxFit::kNone) {
            text += ";size=" + std::to_string(c.size) + ";basis=" + BasisWord(c.basis);
        } else {
            text += c.box == BoxFit::kFit ? ";fit=" : ";fill=";
            text += std::to_string(c.box_width) + "x" + std::to_string(c.box_height);
        }
        if (c.enlarge) text += ";enlarge";
        text += c.photo.filter == ScaleFilter::kArea ? ";filter=area" : ";filter=nearest";
    } else {
        text += ";copy";
    }
    // A camera's embedded preview and the whole picture scale to other pixels.
    if (c.photo.previews == PreviewUse::kNever) text += ";previews=never";
    text += ";orient=" + std::to_string(c.photo.auto_orient ? 1 : 0);
    text += ";quality=" + std::to_string(c.photo.quality);
    text += ";srgb=" + std::to_string(c.photo.to_srgb ? 1 : 0);
    return text;
}

}  // namespace

std::string SettingsFingerprint(const Conversion& conversion) {
    const std::string text = CanonicalText(conversion);
    const auto bytes = std::as_bytes(std::span(text));
    const std::uint64_t hash =
        HashBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

}  // namespace nuthumb
