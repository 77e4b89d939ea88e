#include "settings/option_values.h"

#include <gtest/gtest.h>

#include "settings/form_settings.h"

namespace nuthumb {
namespace {

// The one place where stored items outside the controls' range get their meaning.
TEST(OptionValues, ItemsOutsideTheControlsFallToTheSafeMeaning) {
    // The first version's two items keep their meaning; numbers past each group's
    // items, and no item, read as JPEG as they always have.
    using F = ImageFormat;
    const struct {
        int item;
        SourceChoice source;
        ImageFormat target;
    } kFormatRows[] = {{0, F::kBmp, F::kBmp},   {1, F::kJpeg, F::kJpeg}, {2, F::kPng, F::kPng},
                       {3, F::kWebp, F::kWebp}, {4, F::kHeic, F::kJpeg}, {5, F::kAvif, F::kJpeg},
                       {6, kEveryReadableFormat, F::kJpeg},
                       {-1, F::kJpeg, F::kJpeg},  {99, F::kJpeg, F::kJpeg}};
    for (const auto& row : kFormatRows) {
        EXPECT_EQ(SourceOfItem(row.item), row.source) << row.item;
        EXPECT_EQ(TargetFormatOfItem(row.item), row.target) << row.item;
    }

    EXPECT_EQ(BasisOfItem(0), Basis::kHeight);
    EXPECT_EQ(BasisOfItem(1), Basis::kWidth);
    EXPECT_EQ(BasisOfItem(2), Basis::kLarger);
    for (const int item : {-1, 3}) EXPECT_EQ(BasisOfItem(item), Basis::kNone) << item;

    EXPECT_EQ(OverwriteModeOfItem(1), OverwriteMode::kAlways);
    EXPECT_EQ(OverwriteModeOfItem(2), OverwriteMode::kAsk);
    for (const int item : {0, -1, 3, 7}) EXPECT_EQ(OverwriteModeOfItem(item), OverwriteMode::kNever) << item;
}

TEST(OptionValues, TheDefaultJobIsTheWindowsFirstJob) {
    const ThumbJob job = JobOfForm(FormSettings{});
    EXPECT_EQ(job, (ThumbJob{"", "", ImageFormat::kJpeg, "", "", {ImageFormat::kJpeg, 50, Basis::kHeight, true}}));
    FormSettings subfolders;
    subfolders.recursive = true;
    EXPECT_TRUE(JobOfForm(subfolders).recursive);
}

}  // namespace
}  // namespace nuthumb
