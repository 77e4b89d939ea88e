#pragma once
// What a run reads: the files of one format, or of every format the program
// reads (a folder of camera JPEGs, phone HEICs and web WebPs at once).
#include <optional>
#include <string_view>

#include "image/conversion.h"

namespace nuthumb {

// Nothing stands for every readable format.
using SourceChoice = std::optional<ImageFormat>;
inline constexpr SourceChoice kEveryReadableFormat = std::nullopt;

// Whether a file whose name ends in `extension` (any letter case) is listed by
// a run of `choice`. Listing goes by the name alone; each listed file is then
// decoded as what its bytes are.
bool ListsExtension(SourceChoice choice, std::string_view extension);

// Whether any run reads files of `extension`.
bool IsReadableExtension(std::string_view extension);

}  // namespace nuthumb
