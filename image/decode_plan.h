#pragma once
// What a conversion asks of a decoder: the whole image, or the thumbnail of the
// picture as shown by its filter.
#include "codecs/codec.h"
#include "image/conversion.h"

namespace nuthumb {

// The request of `conversion`: its plan for each size (an unscaled copy, or its
// thumbnail size; throws LoadError where it has no sound result), its turn and
// its colours.
DecodeRequest RequestOfConversion(const Conversion& conversion);

// The plan of `conversion` for a picture shown as width x height. Throws
// LoadError where it has no sound result.
DecodePlan PlanOfConversion(const Conversion& conversion, std::int32_t width, std::int32_t height);

}  // namespace nuthumb
