// Colours converted into sRGB from each format's embedded ICC profile, against
// lcms2's own transform of the unconverted decode.
#include <gtest/gtest.h>
#include <lcms2.h>
#include <zlib.h>

#include <fcntl.h>
#include <sys/resource.h>

#include <string>

#include "image/load_thumbnail.h"
#include "pixels/box_filter.h"
#include "pixels/scaler.h"
#include "pixels/srgb_conversion.h"
#include "platform/sandbox.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_file.h"

namespace nuthumb::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A wide-gamut RGB profile (Adobe RGB's primaries, gamma 2.2), as cameras embed.
Bytes WideProfile() {
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    Bytes bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(gamma);
    return bytes;
}

// The same transform the decoders must make, of an image in place.
void ReferenceTransform(const Bytes& icc, Image& image) {
    cmsHPROFILE from = cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    const bool four = image.bits_per_pixel == 32;
    cmsHTRANSFORM t = cmsCreateTransform(from, four ? TYPE_BGRA_8 : TYPE_BGR_8, srgb, four ? TYPE_BGRA_8 : TYPE_BGR_8,
                                         INTENT_PERCEPTUAL, cmsFLAGS_COPY_ALPHA);
    for (int y = 0; y < image.height; ++y)
        cmsDoTransform(t, image.row_from_top(y), image.row_from_top(y), static_cast<cmsUInt32Number>(image.width));
    cmsDeleteTransform(t);
    cmsCloseProfile(srgb);
    cmsCloseProfile(from);
}

// A PNG with an iCCP chunk put in behind its header.
void AddPngProfile(const std::string& path, const Bytes& icc) {
    Bytes png = ReadWholeFile(path);
    uLongf packed_size = compressBound(static_cast<uLong>(icc.size()));
    Bytes packed(packed_size);
    compress(packed.data(), &packed_size, icc.data(), static_cast<uLong>(icc.size()));
    Bytes chunk = {0, 0, 0, 0, 'i', 'C', 'C', 'P', 'w', 'i', 'd', 'e', 0, 0};
    chunk.insert(chunk.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packed_size));
    const std::uint32_t length = static_cast<std::uint32_t>(chunk.size() - 8);
    for (int i = 0; i < 4; ++i) chunk[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4)));
    for (int i = 0; i < 4; ++i) chunk.push_back(static_cast<std::uint8_t>(crc >> (24 - 8 * i)));
    png.insert(png.begin() + 33, chunk.begin(), chunk.end());  // after the signature and IHDR
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()),
                                                static_cast<std::streamsize>(png.size()));
}

Image Load(const Bytes& file, ImageFormat format, bool to_srgb, std::int32_t size = 0,
           ScaleFilter filter = ScaleFilter::kNearest) {
    const MemoryBytes source(file);
    PhotoOptions photo;
    photo.to_srgb = to_srgb;
    photo.filter = filter;
    return test::LoadImage(source, format, {ImageFormat::kPng, size, Basis::kHeight, size > 0, photo}, {});
}

// Each format's profile is found and applied before scaling: the converted
// whole image is lcms2's transform of the unconverted one, its nearest
// thumbnail the picks of that, and an area thumbnail the average of it.
TEST(SrgbConversion, EachFormatsProfileIsAppliedBeforeScaling) {
    TempDir dir;
    const std::string d = dir.path();
    const Bytes icc = WideProfile();
    std::ofstream(d + "/wide.icc", std::ios::binary).write(reinterpret_cast<const char*>(icc.data()),
                                                           static_cast<std::streamsize>(icc.size()));
    WritePam(MakePicture(64, 40, 4, 255, [](int x, int y, int c) { return c < 3 ? x * 3 + y * 2 + c * 20 : 200 + x; }),
             d + "/in.pam");
    RunTool("pamtopng " + d + "/in.pam > " + d + "/in.png");
    AddPngProfile(d + "/in.png", icc);
    RunTool("pngtopam " + d + "/in.png > " + d + "/in.ppm");
    struct Row {
        const char* name;
        ImageFormat format;
        std::string make;  // the file into OUT
        bool area_exact;   // the area filter works on the decoded rows themselves
    };
    const Row rows[] = {
        {"Png", ImageFormat::kPng, "cp " + d + "/in.png OUT", true},
        {"Jpeg", ImageFormat::kJpeg, "cjpeg -icc " + d + "/wide.icc -outfile OUT " + d + "/in.ppm", false},
        {"WebpLossless", ImageFormat::kWebp,
         "cwebp -quiet -lossless " + d + "/in.pam -o " + d + "/plain.webp && webpmux -set icc " + d + "/wide.icc " +
             d + "/plain.webp -o OUT",
         true},
        {"Heic", ImageFormat::kHeic, "heif-enc -q 80 " + d + "/in.png -o OUT", true},
        {"Avif", ImageFormat::kAvif, "avifenc -s 10 " + d + "/in.png OUT", true},
        {"JxlLossless", ImageFormat::kJxl, "cjxl -d 0 " + d + "/in.png OUT", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string out = d + "/" + row.name;
        std::string make = row.make;
        make.replace(make.find("OUT"), 3, out);
        RunTool(make);
        const Bytes file = ReadWholeFile(out);

        Image expected = Load(file, row.format, false);
        ReferenceTransform(icc, expected);
        const Image converted = Load(file, row.format, true);
        EXPECT_EQ(converted.pixels, expected.pixels);
        EXPECT_NE(converted.pixels, Load(file, row.format, false).pixels) << "the profile was not found";

        const Image nearest = Load(file, row.format, true, 17);
        EXPECT_EQ(nearest.pixels, StretchToThumbnail(expected, nearest.width, nearest.height).pixels);
        if (!row.area_exact) continue;
        const Image area = Load(file, row.format, true, 17, ScaleFilter::kArea);
        Image averaged = BlankThumbnail(area.width, area.height);
        averaged.alpha = expected.alpha;
        BoxFilter filter(expected.width, expected.height, averaged);
        for (int y = 0; y < expected.height; ++y) filter.AddRow(y, expected.row_from_top(y), expected.bits_per_pixel / 8);
        filter.Finish();
        EXPECT_EQ(area.pixels, averaged.pixels);
    }
}

// APP2 segments put in after a JPEG's start: each payload behind its marker.
Bytes WithApp2(const Bytes& jpeg, const std::vector<Bytes>& payloads) {
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    for (const Bytes& payload : payloads) {
        const std::size_t length = payload.size() + 2;
        out.insert(out.end(), {0xFF, 0xE2, std::uint8_t(length >> 8), std::uint8_t(length & 0xFF)});
        out.insert(out.end(), payload.begin(), payload.end());
    }
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

// A profile as ICC_PROFILE segments, numbered from 1, in the order `order` gives.
std::vector<Bytes> ProfileSegments(const Bytes& icc, std::size_t per_segment, std::vector<std::size_t> order = {}) {
    const std::size_t count = (icc.size() + per_segment - 1) / per_segment;
    if (order.empty())
        for (std::size_t i = 0; i < count; ++i) order.push_back(i);
    std::vector<Bytes> segments;
    for (const std::size_t i : order) {
        Bytes s = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0, std::uint8_t(i + 1), std::uint8_t(count)};
        const auto from = icc.begin() + static_cast<std::ptrdiff_t>(i * per_segment);
        const std::size_t length = std::min(per_segment, icc.size() - i * per_segment);
        s.insert(s.end(), from, from + static_cast<std::ptrdiff_t>(length));
        segments.push_back(std::move(s));
    }
    return segments;
}

// A FlashPix segment, or any other use of APP2: not part of a profile.
Bytes OtherSegment(std::size_t size) {
    Bytes s = {'F', 'P', 'X', 'R', 0};
    s.resize(size, 0x5A);
    return s;
}

// A 32 x 24 JPEG without a profile, made in `folder`.
Bytes PlainJpeg(const std::string& folder) {
    WritePam(MakePicture(32, 24, 3, 255, [](int x, int y, int c) { return x * 7 + y * 5 + c * 60; }),
             folder + "/in.pam");
    RunTool("pamtopnm " + folder + "/in.pam | cjpeg -outfile " + folder + "/plain.jpg");
    return ReadWholeFile(folder + "/plain.jpg");
}

// A JPEG's profile is put together from its ICC_PROFILE segments alone, in their
// numbers' order, whatever else uses APP2; a profile over 4 MiB is not used.
TEST(SrgbConversion, JpegProfilesComeFromTheirOwnSegments) {
    TempDir dir;
    const std::string d = dir.path();
    const Bytes plain = PlainJpeg(d);
    const Bytes icc = WideProfile();
    // The same profile, valid, padded past 4 MiB (its header gives the padded size).
    Bytes huge = icc;
    huge.resize((std::size_t{4} << 20) + 4096, 0);
    for (std::size_t i = 0; i < 4; ++i) huge[i] = static_cast<std::uint8_t>(huge.size() >> (24 - 8 * i));
    ASSERT_TRUE(SrgbConversion::FromProfile(huge)) << "lcms2 takes the padded profile";

    std::vector<Bytes> amid = {OtherSegment(300)};
    for (const Bytes& s : ProfileSegments(icc, icc.size() / 3 + 1, {2, 0, 1}))
        amid.insert(amid.end(), {s, OtherSegment(70)});
    struct Row {
        const char* name;
        std::vector<Bytes> segments;
        bool converted;
    };
    const Row rows[] = {
        {"OutOfOrderAmidOtherSegments", amid, true},
        {"OverFourMebibytes", ProfileSegments(huge, 65519), false},
        {"OneSegmentMissing", ProfileSegments(icc, icc.size() / 3 + 1, {0, 2}), false},
    };
    Image expected = Load(plain, ImageFormat::kJpeg, false);
    ReferenceTransform(icc, expected);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Image image = Load(WithApp2(plain, row.segments), ImageFormat::kJpeg, true);
        EXPECT_EQ(image.pixels, row.converted ? expected.pixels : Load(plain, ImageFormat::kJpeg, false).pixels);
    }
}

// Tens of megabytes of other APP2 segments are stepped over, not kept: the
// decode fits in fewer megabytes than they hold.
TEST(SrgbConversion, OtherApp2SegmentsAreNotKept) {
    TempDir dir;
    std::vector<Bytes> segments(1000, OtherSegment(65533));  // 65 MB
    for (Bytes& s : ProfileSegments(WideProfile(), 4000)) segments.push_back(std::move(s));
    const Bytes file = WithApp2(PlainJpeg(dir.path()), segments);
    segments.clear();
    const ChildEnd end = RunChild({}, [&file] {
        const UniqueFd statm(::open("/proc/self/statm", O_RDONLY | O_CLOEXEC));
        const rlimit limit{WritableBytes(statm.get()) + (std::uint64_t{48} << 20), RLIM_INFINITY};
        ::setrlimit(RLIMIT_DATA, &limit);
        return std::to_string(Load(file, ImageFormat::kJpeg, true).width);
    });
    EXPECT_EQ(end.report, "32");
}

}  // namespace
}  // namespace nuthumb::test
