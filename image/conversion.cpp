#include "image/conversion.h"

#include <algorithm>
#include <string>

#include "platform/path_util.h"

namespace nuthumb {

bool NamesFormat(std::string_view extension, ImageFormat format) {
    const std::string lower = AsciiLower(extension);
    const auto names = ExtensionsOfFormat(format);
    return std::find(names.begin(), names.end(), lower) != names.end();
}

}  // namespace nuthumb
