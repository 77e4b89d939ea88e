#pragma once
// What a conversion asks of a decoder that learns its image's size only from
// the file (PNG, WebP, HEIF): the whole image, or the thumbnail by its filter.
#include "codecs/row_sink.h"
#include "image/conversion.h"

namespace nuthumb {

// The plan for each size as `conversion` says: an unscaled copy, or its
// thumbnail size; throws LoadError where it has no sound result.
PlanOf PlanOfConversion(const Conversion& conversion);

}  // namespace nuthumb
