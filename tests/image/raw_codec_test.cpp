// Camera RAW files made here as DNGs: a thumbnail comes from the embedded JPEG
// preview when that is a scaled copy at least the thumbnail's size, turned as
// the file says, and otherwise from the develop, which must match dcraw_emu's
// (the same library's reference program) with the same settings.
#include <gtest/gtest.h>

#include <string>

#include "image/load_thumbnail.h"
#include "pixels/load_error.h"
#include "pixels/orientation.h"
#include "platform/file_io.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/dng_file.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The scene's light: colour everywhere and edges the develop must keep.
std::uint16_t Light(int x, int y, int c) {
    return static_cast<std::uint16_t>(3000 + (x * 170 + y * 90 + c * 13000 + ((x / 16 + y / 16) % 2) * 9000) % 52000);
}

// A preview that no develop of the scene resembles (blue where it is red).
int PreviewPicture(int x, int y, int c) { return c == 0 ? 200 - y / 2 : c == 1 ? x / 2 : 40 + (x + y) / 4; }

Bytes PreviewJpeg(const std::string& dir, int width, int height) {
    WritePam(MakePicture(width, height, 3, 255, PreviewPicture), dir + "/preview.pam");
    RunTool("cd " + dir + " && pamtopnm preview.pam | cjpeg -quality 95 > preview.jpg");
    return ReadWholeFile(dir + "/preview.jpg");
}

Conversion Thumbnail(int size, Basis basis, PreviewUse previews = PreviewUse::kAuto) {
    PhotoOptions photo;
    photo.filter = ScaleFilter::kArea;
    photo.previews = previews;
    return {ImageFormat::kPng, size, basis, true, photo};
}

enum class Expect { kPreview, kHalfDevelop, kFullDevelop };

struct Row {
    const char* name;
    int orientation;
    int preview_width, preview_height;  // 0: no preview
    Conversion conversion;
    Expect expect;
};

// The sensor is 256 x 160; its half-size develop 128 x 80. Develop rows ask for
// exactly the develop's size, so the thumbnail is the develop itself.
TEST(RawCodec, ThumbnailsComeFromFittingPreviewsOrTheDevelop) {
    TempDir dir;
    const std::string d = dir.path();
    const Conversion kWhole{ImageFormat::kPng, 0, Basis::kHeight, false};
    const Row rows[] = {
        {"PreviewUsed", 1, 256, 160, Thumbnail(40, Basis::kHeight), Expect::kPreview},
        {"PreviewOfSameProportions", 1, 160, 100, Thumbnail(80, Basis::kHeight), Expect::kPreview},
        {"PreviewTurnedWithTheFile", 6, 256, 160, Thumbnail(40, Basis::kWidth), Expect::kPreview},
        {"PreviewMirrored", 2, 256, 160, Thumbnail(40, Basis::kHeight), Expect::kPreview},
        {"LetterboxedPreviewRefused", 1, 256, 256, Thumbnail(80, Basis::kHeight), Expect::kHalfDevelop},
        {"CroppedPreviewRefused", 1, 200, 160, Thumbnail(80, Basis::kHeight), Expect::kHalfDevelop},
        {"SmallerPreviewRefused", 1, 64, 40, Thumbnail(80, Basis::kHeight), Expect::kHalfDevelop},
        {"PreviewsNever", 1, 256, 160, Thumbnail(80, Basis::kHeight, PreviewUse::kNever), Expect::kHalfDevelop},
        {"NoPreview", 1, 0, 0, Thumbnail(80, Basis::kHeight), Expect::kHalfDevelop},
        {"NoPreviewTurned", 6, 0, 0, Thumbnail(80, Basis::kWidth), Expect::kHalfDevelop},
        {"NoPreviewTurnedBack", 8, 0, 0, Thumbnail(128, Basis::kHeight), Expect::kHalfDevelop},
        {"HalfTooSmall", 3, 0, 0, Thumbnail(160, Basis::kHeight), Expect::kFullDevelop},
        {"ConvertOnlyDevelops", 1, 256, 160, kWhole, Expect::kFullDevelop},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DngSpec spec{256, 160, Light, true, row.orientation, {}};
        if (row.preview_width > 0)
            spec.previews.push_back({PreviewJpeg(d, row.preview_width, row.preview_height), row.preview_width,
                                     row.preview_height});
        const Bytes dng = MakeDng(spec);
        const MemoryBytes source(dng);
        const Image made = LoadImage(source, ImageFormat::kRaw, row.conversion);

        if (row.expect == Expect::kPreview) {
            // The preview's own thumbnail in the stored orientation, turned.
            const OrientationSteps steps = StepsOf(row.orientation);
            Conversion stored = row.conversion;
            if (steps.swap) stored.basis = stored.basis == Basis::kWidth ? Basis::kHeight : Basis::kWidth;
            const MemoryBytes preview(spec.previews[0].jpeg);
            const Image expected = OrientImage(LoadImage(preview, ImageFormat::kJpeg, stored), row.orientation);
            EXPECT_EQ(MaxDifference(RgbaOf(made), RgbaOf(expected)), 0);
            continue;
        }
        WriteFileAtomic(d + "/a.dng", dng);
        const bool half = row.expect == Expect::kHalfDevelop;
        RunTool("cd " + d + " && dcraw_emu " + (half ? "-h " : "") +
                "-w -o 1 -g 2.4 12.92 a.dng && pamtopam < a.dng.ppm > ref.pam");
        const Picture reference = AsRgba8(ReadPam(d + "/ref.pam"));
        EXPECT_EQ(reference.width, row.orientation >= 5 ? (half ? 80 : 160) : (half ? 128 : 256));
        EXPECT_LE(static_cast<unsigned>(MaxDifference(RgbaOf(made), reference)), 1u);
    }
}

// A file LibRaw cannot read fails as a load failure with a reason; a cut one
// says so; the memory asked covers the sensor data before it is unpacked.
TEST(RawCodec, DamagedFilesFailAndTheDevelopIsBudgeted) {
    const Bytes good = MakeDng({256, 160, Light, true, 1, {}});
    Bytes cut = good;
    cut.resize(good.size() / 2);  // inside the sensor data
    Bytes no_ifd = good;
    no_ifd[4] = 0xF0, no_ifd[5] = 0xFF, no_ifd[6] = 0xFF, no_ifd[7] = 0x7F;  // IFD0 far past the end
    const Bytes garbage = {'I', 'I', '*', 0, 8, 0, 0, 0, 0xFF, 0xFF, 1, 2, 3};
    for (const Bytes& file : {cut, no_ifd, garbage, Bytes(good.begin(), good.begin() + 8), Bytes{}}) {
        const MemoryBytes source(file);
        EXPECT_THROW(LoadImage(source, ImageFormat::kRaw, Thumbnail(40, Basis::kHeight)), LoadError) << file.size();
    }

    std::uint64_t asked = 0;
    DecodeOptions counting;
    counting.reserve_memory = [&asked](std::uint64_t bytes, const DecodeOptions&) { asked = bytes; };
    const MemoryBytes source(good);
    LoadImage(source, ImageFormat::kRaw, Thumbnail(40, Basis::kHeight), counting);
    EXPECT_GE(asked, std::uint64_t{256} * 160 * 2 + 128 * 80 * 11) << "the sensor data and the half-size develop";
    EXPECT_THROW(LoadImage(source, ImageFormat::kRaw, Thumbnail(40, Basis::kHeight), DecodeOptions([] { return true; })),
                 DecodeCancelled);
}

}  // namespace
}  // namespace nuthumb::test
