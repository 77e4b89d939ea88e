#pragma once
// A gallery's variant as the command line (--variant NAME:SPEC) and a batch
// entry's eleventh and later fields write it: the name of its folder, a colon,
// then a comma list of size=N, basis=height|width|larger, fit=WxH, fill=WxH,
// format=bmp|jpg|png|webp, quality=N, prefix=TEXT, suffix=TEXT,
// enlarge=yes|no. What a variant does not give comes from the run.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "run/thumb_job.h"

namespace nuthumb {

// The variant of `text`, its values over `run`'s (prefix, suffix and
// conversion), or why it cannot be one, in the user's language: a name that is
// empty, ".", "..", or holds a '/'; a key it does not know or gives twice; a
// value out of range (sizes 30 to 16384, box sides 1 to 16384, quality 1 to
// 100); size or basis together with fit or fill, or fit with fill.
std::variant<Variant, std::string> ParseVariant(std::string_view text, const ThumbJob& run);

// Whether a size (with its basis), a fit box and a fill box were given more
// than one way: each decides the thumbnail's size on its own.
inline bool SizingClash(bool sized, bool fit, bool fill) { return sized + fit + fill > 1; }

// A box "WxH", both sides 1 to 16384.
std::optional<std::pair<std::int32_t, std::int32_t>> BoxOf(std::string_view text);

// The variants of `texts`, in their order, or the first one's problem; two
// variants of one name are one too many.
std::variant<std::vector<Variant>, std::string> ParseVariants(const std::vector<std::string>& texts,
                                                              const ThumbJob& run);

}  // namespace nuthumb
