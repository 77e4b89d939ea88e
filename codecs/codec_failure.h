#pragma once
// The reasons the PNG, WebP and HEIF decoders give for a source they refuse, in
// the user's language, led by the format's name as the JPEG decoder's are.
#include <stdexcept>
#include <string_view>

#include "pixels/load_error.h"

namespace nuthumb {

// "<format>: the <format> data are damaged (<detail>)"; `detail` is the
// library's own text, or nothing.
LoadError DamagedData(std::string_view format, std::string_view detail);
// "<format>: the file ends early".
LoadError CutShort(std::string_view format);

// A PNG or WebP encoder refused the image; what() is the reason to show.
class EncodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace nuthumb
