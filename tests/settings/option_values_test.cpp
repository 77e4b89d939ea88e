#include "settings/option_values.h"

#include <gtest/gtest.h>

#include "settings/form_settings.h"

namespace nuthumb {
namespace {

// The one place where stored items outside the controls' range get their meaning.
TEST(OptionValues, ItemsOutsideTheControlsFallToTheSafeMeaning) {
    EXPECT_EQ(ImageFormatOfItem(0), ImageFormat::kBmp);
    for (const int item : {1, -1, 2, 99}) EXPECT_EQ(ImageFormatOfItem(item), ImageFormat::kJpeg) << item;

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
