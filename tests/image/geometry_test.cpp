#include "image/geometry.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace nuthumb {
namespace {

struct GeometryRow {
    std::string name;
    std::int32_t source_width, source_height, size;
    Basis basis;
    std::int32_t width, height;  // 0 x 0: no sound result
};

class ThumbnailGeometry : public testing::TestWithParam<GeometryRow> {};

TEST_P(ThumbnailGeometry, GivesTheExpectedSize) {
    const GeometryRow& row = GetParam();
    const auto size = ScaledSize(row.source_width, row.source_height, row.size,
                                 EffectiveBasisOf(true, row.basis, row.source_width, row.source_height));
    if (row.width == 0) {
        EXPECT_FALSE(size.has_value());
    } else {
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(*size, (ThumbnailSize{row.width, row.height}));
    }
}

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Rows, ThumbnailGeometry,
    testing::Values(
        GeometryRow{"ByHeight640x480To120", 640, 480, 120, Basis::kHeight, 160, 120},
        GeometryRow{"LargerSideIsHeight480x640", 480, 640, 120, Basis::kLarger, 90, 120},
        GeometryRow{"SquareGoesByWidth", 500, 500, 64, Basis::kLarger, 64, 64},
        GeometryRow{"TwoStepDivisionGives104Not105", 112, 32, 30, Basis::kHeight, 104, 30},
        GeometryRow{"LargerSideIsWidth3000x2000", 3000, 2000, 640, Basis::kLarger, 640, 426},
        GeometryRow{"ByWidth800x600To150", 800, 600, 150, Basis::kWidth, 150, 112},
        GeometryRow{"EnlargedByWidth20x10", 20, 10, 100, Basis::kWidth, 100, 50},
        GeometryRow{"ComputedHeightZero", 1000, 10, 30, Basis::kWidth, 0, 0},
        GeometryRow{"SizeZero", 640, 480, 0, Basis::kHeight, 0, 0},
        GeometryRow{"SizeNegative", 640, 480, -5, Basis::kWidth, 0, 0},
        GeometryRow{"EmptySource", 0, 0, 120, Basis::kHeight, 0, 0},
        GeometryRow{"NoBasis", 640, 480, 120, Basis::kNone, 0, 0},
        GeometryRow{"OverPixelLimit", 60000, 1, 60000, Basis::kHeight, 0, 0},
        GeometryRow{"WidthOverflowsInt32", kMax, 1, 2, Basis::kHeight, 0, 0}),
    [](const testing::TestParamInfo<GeometryRow>& info) { return info.param.name; });

TEST(EffectiveBasis, NoResizeCopiesWhateverTheBasis) {
    EXPECT_EQ(EffectiveBasisOf(false, Basis::kNone, 10, 10), EffectiveBasis::kCopy);
    EXPECT_EQ(EffectiveBasisOf(false, Basis::kHeight, 10, 10), EffectiveBasis::kCopy);
}

}  // namespace
}  // namespace nuthumb
