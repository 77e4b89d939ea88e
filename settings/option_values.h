#pragma once
// The typed options of the integers the window's controls and the settings file
// hold. Each rule for a value outside the items lives here and nowhere else.
#include <cstdint>

#include "image/conversion.h"
#include "run/overwrite_mode.h"
#include "run/source_choice.h"
#include "settings/settings_table.h"

namespace nuthumb {

// Source items: each format's own number (the codec table's), and 6 every
// readable format; anything else, no item selected too, is JPEG.
SourceChoice SourceOfItem(std::int32_t item);

// Target items: each written format's number; anything else, no item selected
// too, is JPEG.
ImageFormat TargetFormatOfItem(std::int32_t item);

// The item of a source choice: 6 for every readable format.
std::int32_t ItemOfSource(SourceChoice choice);

// Items 0 height, 1 width, 2 larger side; anything else is no basis.
Basis BasisOfItem(std::int32_t item);
std::int32_t ItemOfBasis(Basis basis);

// Items 0 never, 1 overwrite, 2 ask; anything else, no item selected too, never.
OverwriteMode OverwriteModeOfItem(std::int32_t item);

// Items 0 nearest neighbour, 1 area; anything else, no item selected too, nearest.
ScaleFilter FilterOfItem(std::int32_t item);
std::int32_t ItemOfFilter(ScaleFilter filter);

// Items 0 auto, 1 never; anything else auto.
PreviewUse PreviewsOfItem(std::int32_t item);
std::int32_t ItemOfPreviews(PreviewUse previews);

// A JPEG quality within 1..100 as it is; anything else the default.
using keys::SoundQuality;

// What a photo library wants, in one step: the command line's --photos and the
// settings dialog's preset button give the same job. Every readable format, the
// size on the longer side, photos turned upright, the area filter, colours into
// sRGB and the photos' dates kept; everything else (the size, the names, the
// quality) stays as the user set it.
struct PhotoPreset {
    SourceChoice source;
    Basis basis;
    bool auto_orient;
    ScaleFilter filter;
    bool to_srgb;
    bool keep_dates;
};
inline constexpr PhotoPreset kPhotoPreset{kEveryReadableFormat, Basis::kLarger, true, ScaleFilter::kArea, true, true};

}  // namespace nuthumb
