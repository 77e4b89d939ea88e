// JPEG sources under every name cameras give them: listed, decoded as JPEG, and
// named so that a target keeps an extension that already names its format.
#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "run/run_files.h"
#include "run/run_folder.h"
#include "tests/support/folder_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/thumb_jobs.h"
#include "codecs/jpeg_encoder.h"

namespace nuthumb {
namespace {

void WriteJpeg(const std::string& path) {
    Image image;
    image.width = 40, image.height = 30, image.bits_per_pixel = 32;
    image.pixels.assign(image.stride() * 30, 0x60);
    WriteFileAtomic(path, EncodeJpeg(image));
}

TEST(JpegNames, AllFourExtensionsAreListedInAnyCaseAndKeepTheirNameForAJpegTarget) {
    test::RunFolders folders;
    for (const char* name : {"a.jpeg", "a.jpg", "b.JFIF", "c.Jpe", "d.jpgx", "e.bmp", "f.jpeg.txt", "gjpeg"})
        WriteJpeg(folders.in() + "/" + name);
    RecordingHost host;
    const RunFiles jpeg = ListRunFiles(test::FolderJob(folders.in(), test::kJpg, folders.out(), test::kJpg, 30, "t_"), host);
    EXPECT_EQ(jpeg.names, (std::vector<std::string>{"a.jpeg", "a.jpg", "b.JFIF", "c.Jpe"}));
    const std::string out = folders.out() + "/t_";
    EXPECT_EQ(jpeg.final_targets, (std::vector<std::string>{out + "a.jpeg", out + "a.jpg", out + "b.JFIF", out + "c.Jpe"}));
    const RunFiles bmp = ListRunFiles(test::FolderJob(folders.in(), test::kJpg, folders.out(), test::kBmp, 30, "t_"), host);
    EXPECT_EQ(bmp.final_targets, (std::vector<std::string>{out + "a.bmp", out + "a.bmp", out + "b.bmp", out + "c.bmp"}));
    // A bitmap job still lists bitmaps alone.
    EXPECT_EQ(ListRunFiles(test::FolderJob(folders.in(), test::kBmp, folders.out(), test::kJpg, 30), host).names,
              std::vector<std::string>{"e.bmp"});
}

TEST(JpegNames, EveryNameDecodesAsJpegAndTwinsThatMeetInOneTargetFailTheSecond) {
    test::RunFolders folders;
    for (const char* name : {"a.jpeg", "a.jpg", "b.JFIF", "c.Jpe"}) WriteJpeg(folders.in() + "/" + name);
    RecordingHost host;
    EXPECT_EQ(RunFolder(host, test::FolderJob(folders.in(), test::kJpg, folders.out(), test::kBmp, 30)), kRunFinished);
    EXPECT_EQ(test::NamesIn(folders.out()), (std::set<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
    EXPECT_EQ(host.errors, std::vector<std::string>{folders.in() + "/a.jpg"});
}

}  // namespace
}  // namespace nuthumb
