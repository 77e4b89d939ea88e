// HEIC files with thumbnail items, written here through libheif's encoder: an
// area thumbnail comes from a thumbnail item that shows what the primary image
// shows, scaled, at least the thumbnail's size; every other thumbnail item is
// refused, and nearest thumbnails always come from the primary image.
#include <gtest/gtest.h>

#include <libheif/heif.h>

#include <optional>
#include <string>

#include "image/load_thumbnail.h"
#include "pixels/orientation.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/jpeg_file.h"

#if defined(__SANITIZE_ADDRESS__)
// Debian's x265, with which libheif encodes this test's files, keeps some of its
// allocations to the end of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }
#endif

namespace nuthumb::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The primary image is red, a thumbnail blue; both grow green to the right.
Picture Fill(int width, int height, bool thumbnail) {
    return MakePicture(width, height, 3, 255, [&](int x, int, int c) {
        return c == 1 ? x * 255 / (width - 1) : (c == 0) != thumbnail ? 200 : 40;
    });
}

struct Item {
    int width, height;
    int orientation = 1;
    bool thumbnail = false;
    bool profile = false;  // an ICC profile of its own
};

heif_image* ImageOf(const Picture& picture, bool profile) {
    heif_image* image = nullptr;
    heif_image_create(picture.width, picture.height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, picture.width, picture.height, 8);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width * 3; ++x)
            plane[y * stride + x] = static_cast<std::uint8_t>(picture.at(x / 3, y, x % 3));
    if (profile) {
        const Bytes icc(128, 7);
        heif_image_set_raw_color_profile(image, "prof", icc.data(), icc.size());
    }
    return image;
}

// Odd sides are coded padded and cropped back by a clap box.
heif_image_handle* Encode(heif_context* context, heif_encoder* encoder, const Item& item) {
    heif_image* image = ImageOf(Fill(item.width, item.height, item.thumbnail), item.profile);
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = static_cast<heif_orientation>(item.orientation);
    options->macOS_compatibility_workaround = 0;
    heif_image_handle* handle = nullptr;
    heif_context_encode_image(context, image, encoder, options, &handle);
    heif_encoding_options_free(options);
    heif_image_release(image);
    return handle;
}

Bytes WriteHeic(const std::string& path, const Item& primary, const std::optional<Item>& thumbnail) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    heif_encoder_set_lossy_quality(encoder, 95);
    heif_image_handle* main = Encode(context, encoder, primary);
    if (thumbnail) {
        heif_image_handle* small = Encode(context, encoder, *thumbnail);
        // libheif 1.15 makes its second argument the thumbnail of its third.
        heif_context_assign_thumbnail(context, small, main);
        heif_image_handle_release(small);
    }
    heif_image_handle_release(main);
    heif_encoder_release(encoder);
    heif_context_write_to_file(context, path.c_str());
    heif_context_free(context);
    return ReadWholeFile(path);
}

// The clap box's clean aperture made two thirds of the coded picture, centred.
void CropClap(Bytes& file) {
    const std::string text(file.begin(), file.end());
    const std::size_t clap = text.find("clap");
    ASSERT_NE(clap, std::string::npos);
    for (const std::size_t field : {clap + 4, clap + 12}) {  // width, height numerators
        const std::uint32_t value = (std::uint32_t{file[field + 2]} << 8 | file[field + 3]) * 2 / 3;
        file[field + 2] = static_cast<std::uint8_t>(value >> 8), file[field + 3] = static_cast<std::uint8_t>(value);
    }
}

Conversion Area(PreviewUse previews = PreviewUse::kAuto, ScaleFilter filter = ScaleFilter::kArea) {
    PhotoOptions photo;
    photo.filter = filter;
    photo.previews = previews;
    return {ImageFormat::kPng, 20, Basis::kHeight, true, photo};
}

struct Row {
    const char* name;
    Item primary;
    std::optional<Item> thumbnail;
    Conversion conversion;
    bool crop_thumbnail;
    bool thumbnail_used;
};

TEST(HeifThumbnail, UsedOnlyWhenItShowsWhatThePrimaryShows) {
    TempDir dir;
    const std::string d = dir.path();
    const Item primary{320, 200};
    const Item thumbnail{160, 100, 1, true};
    const Row rows[] = {
        {"Used", primary, thumbnail, Area(), false, true},
        {"BothTurned", {320, 200, 6}, Item{160, 100, 6, true}, Area(), false, true},
        {"BothMirrored", {320, 200, 2}, Item{160, 100, 2, true}, Area(), false, true},
        {"PaddingCroppedAway", primary, Item{163, 101, 1, true}, Area(), false, true},
        {"NearestNever", primary, thumbnail, Area(PreviewUse::kAuto, ScaleFilter::kNearest), false, false},
        {"PreviewsNever", primary, thumbnail, Area(PreviewUse::kNever), false, false},
        {"TurnedHalfRoundAlone", primary, Item{160, 100, 3, true}, Area(), false, false},
        {"TurnedQuarterAlone", primary, Item{100, 160, 8, true}, Area(), false, false},
        {"MirroredAlone", primary, Item{160, 100, 4, true}, Area(), false, false},
        {"Cropped", primary, Item{163, 101, 1, true}, Area(), true, false},
        {"Letterboxed", primary, Item{160, 160, 1, true}, Area(), false, false},
        {"Smaller", primary, Item{24, 15, 1, true}, Area(), false, false},
        {"OtherProfile", primary, Item{160, 100, 1, true, true}, Area(), false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes file = WriteHeic(d + "/a.heic", row.primary, row.thumbnail);
        if (row.crop_thumbnail) CropClap(file);
        const MemoryBytes source(file);
        const Image made = LoadImage(source, ImageFormat::kHeic, row.conversion);

        // What the chosen picture gives when it is stored losslessly: its
        // thumbnail in the stored orientation, turned.
        const Item& chosen = row.thumbnail_used ? *row.thumbnail : row.primary;
        WritePam(Fill(chosen.width, chosen.height, chosen.thumbnail), d + "/chosen.pam");
        RunTool("pamtopng " + d + "/chosen.pam > " + d + "/chosen.png");
        const Bytes png = ReadWholeFile(d + "/chosen.png");
        const MemoryBytes stored_source(png);
        Conversion stored = row.conversion;
        if (StepsOf(chosen.orientation).swap) stored.basis = Basis::kWidth;
        const Image expected = OrientImage(LoadImage(stored_source, ImageFormat::kPng, stored), chosen.orientation);
        const int difference = MaxDifference(RgbaOf(made), RgbaOf(expected));
        EXPECT_GE(difference, 0) << "sizes differ";
        EXPECT_LE(difference, 12);
    }
}

// heif-enc's own thumbnails (their sides rounded down to even numbers) are used,
// which shows in the memory the decode asks for.
TEST(HeifThumbnail, HeifEncThumbnailsAreUsed) {
    TempDir dir;
    WritePam(Fill(300, 199, false), dir.path() + "/in.pam");
    RunTool("cd " + dir.path() + " && pamtopng in.pam > in.png && heif-enc -q 80 -t 100 in.png -o a.heic");
    const Bytes file = ReadWholeFile(dir.path() + "/a.heic");
    const MemoryBytes source(file);
    std::uint64_t asked = 0;
    DecodeOptions counting;
    counting.reserve_memory = [&asked](std::uint64_t bytes, const DecodeOptions&) { asked = bytes; };
    LoadImage(source, ImageFormat::kHeic, Area(), counting);
    EXPECT_LT(asked, file.size() + std::uint64_t{300} * 199 * 12) << "the thumbnail item decoded";
    LoadImage(source, ImageFormat::kHeic, Area(PreviewUse::kNever), counting);
    EXPECT_GE(asked, file.size() + std::uint64_t{300} * 199 * 12) << "the primary image decoded";
}

}  // namespace
}  // namespace nuthumb::test
