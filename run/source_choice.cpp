#include "run/source_choice.h"

namespace nuthumb {

bool IsReadableExtension(std::string_view extension) {
    for (const ImageFormat format : {ImageFormat::kBmp, ImageFormat::kJpeg, ImageFormat::kPng, ImageFormat::kWebp,
                                     ImageFormat::kHeic, ImageFormat::kAvif})
        if (NamesFormat(extension, format)) return true;
    return false;
}

bool ListsExtension(SourceChoice choice, std::string_view extension) {
    return choice ? NamesFormat(extension, *choice) : IsReadableExtension(extension);
}

}  // namespace nuthumb
