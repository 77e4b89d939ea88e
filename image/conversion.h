#pragma once
// What one source becomes: the typed values a conversion takes. Integers and
// texts from the settings file, a batch entry or the command line are turned into
// these once, where they are read, so nothing below compares "bmp" or 2.
#include <cstdint>
#include <string_view>

namespace nuthumb {

enum class ImageFormat { kBmp, kJpeg };

// The extension a file of the format is listed by and written under.
inline constexpr std::string_view ExtensionOfFormat(ImageFormat format) {
    return format == ImageFormat::kBmp ? ".bmp" : ".jpg";
}

// The side that gets the size. kNone is what a stored basis outside the three
// items becomes: it has no sound result, so every scaled file of such a job fails
// as a load failure (a copy does not look at the basis).
enum class Basis { kHeight, kWidth, kLarger, kNone };

struct Conversion {
    ImageFormat target_format = ImageFormat::kJpeg;
    std::int32_t size = 0;  // any value: one below 1 has no sound result
    Basis basis = Basis::kHeight;
    bool resize = true;     // false: an unscaled copy in the target format
    bool operator==(const Conversion&) const = default;
};

}  // namespace nuthumb
