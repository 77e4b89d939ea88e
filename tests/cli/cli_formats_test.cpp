// Runs over folders of today's formats, made by the encoders Debian ships.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>

#include "platform/file_io.h"
#include "tests/cli/cli_process.h"
#include "tests/image/netpbm_files.h"
#include "tests/support/child_process.h"
#include "tests/support/dng_file.h"
#include "tests/support/folder_files.h"
#include "tests/support/hostile_files.h"
#include "tests/support/sample_images.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using test::CliOutcome;
using test::NamesIn;
using test::RunTool;

class CliFormatsTest : public ::testing::Test, protected test::RunFolders {
protected:
    CliOutcome Run(std::vector<std::string> args) { return test::RunCli(args, root()); }

    // A photo-like picture in `root()/in.pam`, for the encoders to read.
    std::string WriteSourcePicture(int depth = 3) {
        const std::string pam = root() + "/in.pam";
        test::WritePam(test::MakePicture(64, 48, depth, 255, [](int x, int y, int c) { return (x * 7 + y * 3 + c * 60) & 255; }),
                       pam);
        return pam;
    }

    static std::string Head(const std::string& path, std::size_t bytes) {
        const std::vector<std::uint8_t> all = ReadWholeFile(path);
        return std::string(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(bytes, all.size())));
    }
};

// Every readable extension in any case, each file decoded by what its bytes
// are (a HEIC saved as .jpg too); what no run reads is left alone. Two sources
// of one target name: the first in the listing's order is made, the second
// fails and is named. IMG_1.JPG keeps its own extension, so it and IMG_1.HEIC's
// IMG_1.jpg are two files here (one file, and the same failure, on a folder
// that ignores letter case).
TEST_F(CliFormatsTest, FromAllMakesEveryReadableImageOfAMixedFolder) {
    const std::string pam = WriteSourcePicture();
    const std::string d = in();
    RunTool("pamtopng " + pam + " > " + d + "/a.PNG");
    RunTool("cwebp -quiet -lossless " + pam + " -o " + d + "/b.webp");
    RunTool("pamtopng " + pam + " > " + root() + "/in.png");
    RunTool("heif-enc -q 60 " + root() + "/in.png -o " + d + "/IMG_1.HEIC");
    RunTool("heif-enc -A -q 60 " + root() + "/in.png -o " + d + "/c.avif");
    RunTool("pamtopnm " + pam + " | cjpeg > " + d + "/IMG_1.JPG");
    fs::copy_file(d + "/IMG_1.HEIC", d + "/IMG_2.HEIC");
    fs::copy_file(d + "/IMG_1.JPG", d + "/IMG_2.jpg");
    fs::copy_file(d + "/IMG_1.HEIC", d + "/chat.jpg");
    test::WriteSampleBitmap(d + "/e.bmp");
    test::WriteText(d + "/f.gif", "GIF89a");

    const CliOutcome run = Run({in(), out(), "--from", "all", "--to", "jpg"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(NamesIn(out()), (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg", "chat.jpg", "e.jpg", "IMG_1.jpg",
                                                     "IMG_1.JPG", "IMG_2.jpg"}));
    for (const std::string& name : NamesIn(out())) EXPECT_EQ(Head(out() + "/" + name, 2), "\xFF\xD8") << name;
    EXPECT_NE(run.err.find("IMG_2.jpg"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("IMG_2.HEIC"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("が 1 個あります。"), std::string::npos) << run.out;  // the GIF
}

// --quality reaches the WebP encoder as it does the JPEG one; PNG targets come
// out as PNG, so a convert-only round trip keeps every pixel.
TEST_F(CliFormatsTest, TargetsOfNewFormatsTakeTheirOptions) {
    const std::string pam = WriteSourcePicture();
    RunTool("pamtopng " + pam + " > " + in() + "/a.png");
    std::uintmax_t sizes[2] = {};
    for (const int i : {0, 1}) {
        const std::string quality = i == 0 ? "20" : "95";
        ASSERT_EQ(Run({in(), out(), "--from", "png", "--to", "webp", "--quality", quality, "--overwrite", "always",
                       "--size", "640"})
                      .status,
                  0);
        EXPECT_EQ(Head(out() + "/a.webp", 4), "RIFF");
        sizes[i] = fs::file_size(out() + "/a.webp");
    }
    EXPECT_LT(sizes[0], sizes[1]);

    ASSERT_EQ(Run({in(), out(), "--from", "png", "--to", "png", "--convert-only", "--prefix", "t_"}).status, 0);
    RunTool("pngtopam " + out() + "/t_a.png | pamtopam > " + root() + "/back.pam");
    EXPECT_EQ(test::MaxDifference(test::ReadPam(root() + "/back.pam"), test::ReadPam(pam)), 0);
}

// --photos is its six options spelled out, to the byte and the date; an option
// given beside it wins, before or after it.
TEST_F(CliFormatsTest, PhotosIsItsOptionsSpelledOut) {
    const std::string pam = WriteSourcePicture();
    RunTool("pamtopng " + pam + " > " + in() + "/a.png");
    RunTool("pamtopnm " + pam + " | cjpeg > " + in() + "/b.jpg");
    test::WriteSampleBitmap(in() + "/c.bmp", 8, 6);
    for (const std::string& name : NamesIn(in()))
        fs::last_write_time(in() + "/" + name, fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));
    const std::string photos = root() + "/photos", spelled = root() + "/spelled", own = root() + "/own";
    ASSERT_EQ(Run({in(), photos, "--photos", "--size", "30"}).status, 0);
    ASSERT_EQ(Run({in(), spelled, "--from", "all", "--auto-orient", "--filter", "area", "--srgb", "--basis", "larger",
                   "--keep-dates", "--size", "30"})
                  .status,
              0);
    EXPECT_EQ(NamesIn(photos), (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(NamesIn(spelled), NamesIn(photos));
    for (const std::string& name : NamesIn(photos)) {
        EXPECT_EQ(ReadWholeFile(spelled + "/" + name), ReadWholeFile(photos + "/" + name)) << name;
        const std::string source = in() + "/" + (name == "a.jpg" ? "a.png" : name == "c.jpg" ? "c.bmp" : name);
        EXPECT_EQ(fs::last_write_time(photos + "/" + name), fs::last_write_time(source)) << name;
    }

    ASSERT_EQ(Run({"--from", "bmp", in(), own, "--photos", "--no-keep-dates", "--size", "30"}).status, 0);
    EXPECT_EQ(NamesIn(own), std::set<std::string>{"c.jpg"});
    EXPECT_NE(fs::last_write_time(own + "/c.jpg"), fs::last_write_time(in() + "/c.bmp"));
}

// A batch entry's item 2 is PNG on both sides; the old items keep their meaning.
TEST_F(CliFormatsTest, BatchEntryItemsNameTheNewFormats) {
    const std::string pam = WriteSourcePicture();
    RunTool("pamtopng " + pam + " > " + in() + "/a.png");
    RunTool("pamtopnm " + pam + " | cjpeg > " + in() + "/b.jpg");
    const std::string entries = root() + "/entries.txt";
    test::WriteText(entries, "\"" + in() + "\",\"2\",\"" + out() + "\",\"2\",\"p_\",\"\",\"50\",\"0\",\"1\"\n\"" + in() +
                                 "\",\"1\",\"" + out() + "\",\"0\",\"j_\",\"\",\"50\",\"0\",\"1\"\n");
    const CliOutcome run = Run({"--batch-file", entries});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(NamesIn(out()), (std::set<std::string>{"p_a.png", "j_b.bmp"}));
    EXPECT_EQ(Head(out() + "/p_a.png", 4), "\x89PNG");
    EXPECT_EQ(Head(out() + "/j_b.bmp", 2), "BM");
}

// Camera RAW files by any maker's name, decoded by content, each thumbnail
// turned as its file says; damaged ones fail alone, named, and the run goes on.
TEST_F(CliFormatsTest, RawFilesConvertAndDamagedOnesFailAlone) {
    const auto light = [](int x, int y, int c) { return static_cast<std::uint16_t>(2000 + x * 300 + y * 200 + c * 9000); };
    const std::vector<std::uint8_t> dng = test::MakeDng({96, 64, light, true, 6, {}});
    const std::string d = in();
    WriteFileAtomic(d + "/IMG_1.DNG", dng);
    WriteFileAtomic(d + "/IMG_2.nef", dng);
    WriteFileAtomic(d + "/IMG_3.CR2", std::span(dng).first(dng.size() / 2));
    test::WriteText(d + "/IMG_4.arw", std::string("II*\0\x08\0\0\0", 8) + "no IFD here");
    const CliOutcome run = Run({d, out(), "--from", "raw", "--to", "png", "--size", "48"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(NamesIn(out()), (std::set<std::string>{"IMG_1.png", "IMG_2.png"}));
    EXPECT_NE(run.err.find("IMG_3.CR2"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("IMG_4.arw"), std::string::npos) << run.err;
    // 96 x 64 as stored, 64 x 96 as shown: 32 x 48.
    EXPECT_EQ(Head(out() + "/IMG_1.png", 24).substr(16), std::string("\0\0\0\x20\0\0\0\x30", 8));
}

// b.jpg is a HEIF file whose primary item heads a chain of 10,000 items, on
// which Debian's libheif takes gigabytes and then overflows its stack. Its
// decoder stops in its helper; a.jpg and c.jpg are made, and b.jpg is named
// with the reason like any damaged file: on standard error, in the message
// (--report-load-errors) and in the error list, with exit status 1.
TEST_F(CliFormatsTest, AFileThatStopsItsDecoderFailsAloneAndTheRunGoesOn) {
    RunTool("pamtopnm " + WriteSourcePicture() + " | cjpeg > " + in() + "/a.jpg");
    fs::copy_file(in() + "/a.jpg", in() + "/c.jpg");
    WriteFileAtomic(in() + "/b.jpg", test::ItemChainHeif(10000));
    const std::string list = root() + "/errors.txt";
    struct Row {
        std::vector<std::string> options;
        std::string err_part;
        std::string made_in = "";
    };
    const Row rows[] = {
        {{}, "b.jpg: 読み込めません: デコーダが停止しました: "},
        {{"--report-load-errors", "--error-list", list}, "Filename : b.jpg\nデコーダが停止しました: "},
        // A gallery's sizes of a complex source are decoded in the helper too.
        {{"--variant", "grid:fill=40x40", "--variant", "screen:size=60"},
         "b.jpg: 読み込めません: デコーダが停止しました: ",
         "/grid"},
    };
    for (const Row& row : rows) {
        fs::remove_all(out());
        fs::create_directory(out());
        std::vector<std::string> args = {in(), out()};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const CliOutcome run = Run(args);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(NamesIn(out() + row.made_in), (std::set<std::string>{"a.jpg", "c.jpg"}));
        EXPECT_NE(run.err.find(row.err_part), std::string::npos) << run.err;
        EXPECT_NE(run.out.find("失敗したファイル: 1"), std::string::npos) << run.out;
    }
    EXPECT_EQ(test::ReadText(list), in() + "/b.jpg\r\n");
}

// The programs decode the complex formats in their helper only: linking the
// libraries again would cost every start their loading, for nothing.
TEST(CliPrograms, LeaveTheComplexDecodersToTheHelper) {
    if (::access("/usr/bin/readelf", X_OK) != 0) GTEST_SKIP() << "no readelf";
    std::vector<std::string> programs = {NUTHUMB_CLI_PATH};
#ifdef NUTHUMB_WINDOW_PATH
    programs.push_back(NUTHUMB_WINDOW_PATH);
#endif
    for (const std::string& program : programs) {
        const test::ChildEnd end = test::RunChild({.capture_stdout = true}, test::Command{"/usr/bin/readelf", "-d", program});
        ASSERT_EQ(end.status(), 0) << program;
        EXPECT_NE(end.out.find("libjpeg"), std::string::npos) << end.out;
        for (const char* library : {"libheif", "libjxl", "libraw"})
            EXPECT_EQ(end.out.find(library), std::string::npos) << program << " needs " << library;
    }
}

}  // namespace
}  // namespace nuthumb
