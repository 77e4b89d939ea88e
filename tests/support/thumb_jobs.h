#pragma once
// Jobs and conversions written the short way the tests need them.
#include <cstdint>
#include <string>

#include "run/thumb_job.h"

namespace nuthumb::test {

inline constexpr ImageFormat kBmp = ImageFormat::kBmp;
inline constexpr ImageFormat kJpg = ImageFormat::kJpeg;

inline Conversion Scale(std::int32_t size, ImageFormat to, bool resize = true, Basis basis = Basis::kHeight) {
    return Conversion{to, size, basis, resize};
}

inline ThumbJob FolderJob(std::string src, ImageFormat from, std::string dst, ImageFormat to, std::int32_t size,
                          std::string prefix = "", std::string suffix = "", bool resize = true) {
    return ThumbJob{std::move(src), std::move(dst), from, std::move(prefix), std::move(suffix),
                    Scale(size, to, resize)};
}

}  // namespace nuthumb::test
