// The command line in-process: what the options parse into, and the job's
// precedence of command line over settings file over the settings' defaults.
#include <gtest/gtest.h>

#include <variant>

#include "cli/cli_job.h"
#include "cli/cli_options.h"
#include "cli/exit_status.h"
#include "platform/file_io.h"
#include "platform/version.h"
#include "tests/support/file_watch.h"
#include "tests/support/folder_files.h"
#include "tests/support/temp_dir.h"

namespace nuthumb {
namespace {

std::variant<CliOptions, CliExit> Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "nuthumb-cli");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

CliOptions Options(std::vector<const char*> args) {
    auto parsed = Parse(std::move(args));
    EXPECT_TRUE(std::holds_alternative<CliOptions>(parsed));
    return std::holds_alternative<CliOptions>(parsed) ? std::get<CliOptions>(parsed) : CliOptions{};
}

TEST(ParseCommandLine, NamesBecomeTypedValues) {
    const CliOptions o = Options({"in", "out", "--from", "bmp", "--to", "jpg", "--basis", "larger", "--overwrite",
                                  "ask", "--size", "640", "--convert-only", "--prefix", "", "--jobs", "3"});
    EXPECT_EQ(o.src_dir, "in");
    EXPECT_EQ(o.dst_dir, "out");
    EXPECT_EQ(o.src_format, SourceChoice{ImageFormat::kBmp});
    EXPECT_EQ(o.dst_format, ImageFormat::kJpeg);
    // Every source word and every target word; heic is no target.
    const struct {
        const char* from;
        SourceChoice source;
        const char* to;
        ImageFormat target;
    } words[] = {{"png", ImageFormat::kPng, "png", ImageFormat::kPng},
                 {"webp", ImageFormat::kWebp, "webp", ImageFormat::kWebp},
                 {"heic", ImageFormat::kHeic, "bmp", ImageFormat::kBmp},
                 {"avif", ImageFormat::kAvif, "jpg", ImageFormat::kJpeg},
                 {"all", kEveryReadableFormat, "jpg", ImageFormat::kJpeg}};
    for (const auto& w : words) {
        const CliOptions named = Options({"in", "out", "--from", w.from, "--to", w.to});
        EXPECT_EQ(named.src_format, std::optional<SourceChoice>(w.source)) << w.from;
        EXPECT_EQ(named.dst_format, w.target) << w.to;
    }
    EXPECT_EQ(o.basis, Basis::kLarger);
    EXPECT_EQ(o.overwrite_mode, OverwriteMode::kAsk);
    EXPECT_EQ(o.size, 640);
    EXPECT_TRUE(o.convert_only);
    EXPECT_EQ(o.prefix, "");  // given, though empty: it wins over a stored prefix
    EXPECT_FALSE(o.suffix);
    EXPECT_EQ(o.jobs, 3);
}

TEST(ParseCommandLine, UsageErrorsExitTwoAndSayWhyAndHelpExitsZero) {
    const struct {
        std::vector<const char*> args;
        const char* said;
    } rows[] = {
        {{"in"}, "SOURCE_DIR と DEST_DIR は両方とも指定"},
        {{"in", "out", "--from", "gif"}, "--from"},
        {{"in", "out", "--to", "heic"}, "--to"},
        {{"in", "out", "--size", "big"}, "--size"},
        // The command line's range; anything else is refused before a file is touched.
        {{"in", "out", "--size", "0"}, "30-16384 の範囲の整数ではありません"},
        {{"in", "out", "--size", "-5"}, "30-16384 の範囲の整数ではありません"},
        {{"in", "out", "--size", "16385"}, "30-16384 の範囲の整数ではありません"},
        {{"in", "out", "--basis", "diagonal"}, "--basis"},
        {{"in", "out", "--jobs", "0"}, "--jobs"},
        {{"in", "out", "--quality", "0"}, "0 は 1-100 の範囲の整数ではありません"},
        {{"in", "out", "--quality", "101"}, "101 は 1-100 の範囲の整数ではありません"},
        {{"in", "out", "--filter", "bicubic"}, "--filter"},
        {{"--batch", "--batch-file", "f"}, "--batch と --batch-file は一緒に指定できません"},
        {{"--batch", "--prefix", "p"}, "バッチは処理内容を各エントリから取ります"},
        {{"in", "out", "--batch-file", "f"}, "バッチは処理内容を各エントリから取ります"},
        {{"--batch", "-r"}, "--convert-only、--recursive、--photos は指定しないでください"},
        {{"--batch", "--photos"}, "バッチは処理内容を各エントリから取ります"},
        {{"in", "out", "--fit", "10x10", "--size", "40"}, "--size と --basis、--fit、--fill はどれか一つ"},
        {{"in", "out", "--fit", "10x10", "--fill", "10x10"}, "--size と --basis、--fit、--fill はどれか一つ"},
        {{"in", "out", "--fit", "0x10"}, "0x10"},
        {{"in", "out", "--variant", "a:size=10"}, "a:size=10: size=10 の値が正しくありません"},
        {{"in", "out", "--variant", "a:filter=area"}, "filter=area は使える指定ではありません"},
        {{"in", "out", "--variant", "a:size=50,fit=9x9"}, "a:size=50,fit=9x9: size と basis、fit、fill はどれか一つ"},
        {{"in", "out", "--variant", "../a:size=50"}, "../a"},
        {{"in", "out", "--variant", "a:size=50", "--variant", "a:fit=9x9"}, "バリアント a が 2 回以上あります"},
        {{"in", "out", "--variant", "a:size=50", "--convert-only"}, "--variant は大きさを変える出力です"},
    };
    for (const auto& row : rows) {
        testing::internal::CaptureStderr();
        const auto parsed = Parse(row.args);
        const std::string said = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(std::holds_alternative<CliExit>(parsed)) << row.said;
        EXPECT_EQ(std::get<CliExit>(parsed).status, kExitUsage) << row.said;
        EXPECT_NE(said.find(row.said), std::string::npos) << said;
    }
    testing::internal::CaptureStdout();
    const auto version = Parse({"--version"});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "nuthumb-cli " + std::string(kVersion) + "\n");
    ASSERT_TRUE(std::holds_alternative<CliExit>(version));
    EXPECT_EQ(std::get<CliExit>(version).status, kExitFinished);

    testing::internal::CaptureStdout();
    const auto help = Parse({"--help"});
    const std::string text = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(std::holds_alternative<CliExit>(help));
    EXPECT_EQ(std::get<CliExit>(help).status, kExitFinished);
    // The defaults shown are the settings table's.
    for (const char* part : {"--overwrite never|always|ask", "（既定値: always）", "（既定値: jpg）",
                             "30 から 16384 まで（既定値: 50）", "（既定値: height）", "--filter nearest|area",
                             "1 から 100 まで（既定値: 90）", "（既定値: off）"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
}

class ResolveJobTest : public testing::Test {
protected:
    std::string Ini(const std::string& lines) {
        const std::string path = dir_.path() + "/nuthumb.ini";
        test::WriteText(path, "[SYSTEM]\r\n" + lines);
        return path;
    }
    TempDir dir_;
};

TEST_F(ResolveJobTest, FoldersAloneTakeTheWindowsFirstJob) {
    const CliRun run = ResolveJob(Options({"in", "out"}), "");
    EXPECT_EQ(run.job, (ThumbJob{"in", "out", ImageFormat::kJpeg, "", "", {ImageFormat::kJpeg, 50, Basis::kHeight, true}}));
    EXPECT_EQ(run.overwrite_mode, OverwriteMode::kAlways);
    EXPECT_FALSE(run.report_load_errors);
}

TEST_F(ResolveJobTest, SettingsFileFillsWhatTheCommandLineLeavesOut) {
    const std::string ini = Ini("SrcDir=/s\r\nDstDir=/d\r\nFileHead=h_\r\nFileEnd=_e\r\nSize=9999\r\nOption=7\r\n"
                                "ReadFileMode=0\r\nSaveFileMode=0\r\nNOThumb=1\r\nErrorOpt=1\r\nRadioGroupSaveMode=0\r\n");
    // Read by the window's rules: the size brought into 30..640, an unknown basis item
    // clamped to the last one.
    const CliRun stored = ResolveJob(Options({"--settings", ini.c_str()}), ini);
    EXPECT_EQ(stored.job, (ThumbJob{"/s", "/d", ImageFormat::kBmp, "h_", "_e", {ImageFormat::kBmp, 640, Basis::kLarger, false}}));
    EXPECT_EQ(stored.overwrite_mode, OverwriteMode::kNever);
    EXPECT_TRUE(stored.report_load_errors);
    EXPECT_EQ(stored.settings_path, ini);

    const CliRun mixed = ResolveJob(
        Options({"in", "out", "--settings", ini.c_str(), "--prefix", "p_", "--to", "jpg", "--overwrite", "ask"}), ini);
    EXPECT_EQ(mixed.job, (ThumbJob{"in", "out", ImageFormat::kBmp, "p_", "_e", {ImageFormat::kJpeg, 640, Basis::kLarger, false}}));
    EXPECT_EQ(mixed.overwrite_mode, OverwriteMode::kAsk);
}

// The photo group's keys go with a batch too: each entry's job takes them.
TEST_F(ResolveJobTest, PhotoOptionsComeFromTheCommandLineThenTheFileThenTheDefaults) {
    const std::string ini = Ini("AutoOrient=1\r\nQuality=55\r\nFilter=1\r\nToSRGB=1\r\nPreviews=1\r\n");
    EXPECT_EQ(ResolveJob(Options({"in", "out"}), "").job.conversion.photo, PhotoOptions{});
    EXPECT_EQ(ResolveJob(Options({"--batch", "--settings", ini.c_str()}), ini).job.conversion.photo,
              (PhotoOptions{true, 55, ScaleFilter::kArea, false, true, PreviewUse::kNever}));
    EXPECT_EQ(ResolveJob(Options({"--settings", ini.c_str(), "--no-auto-orient", "--quality", "100", "--filter",
                                  "nearest", "--no-srgb", "--previews", "auto"}), ini).job.conversion.photo,
              (PhotoOptions{false, 100, ScaleFilter::kNearest}));
    EXPECT_TRUE(ResolveJob(Options({"in", "out", "--srgb"}), "").job.conversion.photo.to_srgb);
    EXPECT_EQ(ResolveJob(Options({"in", "out", "--previews", "never"}), "").job.conversion.photo.previews,
              PreviewUse::kNever);
    EXPECT_EQ(ResolveJob(Options({"in", "out", "--auto-orient", "--filter", "area"}), "").job.conversion.photo,
              (PhotoOptions{true, 90, ScaleFilter::kArea}));
    const CliRun tree = ResolveJob(Options({"in", "out", "-r", "--keep-dates"}), "");
    EXPECT_TRUE(tree.job.recursive);
    EXPECT_EQ(tree.job.conversion.photo, (PhotoOptions{false, 90, ScaleFilter::kNearest, true}));
    EXPECT_FALSE(ResolveJob(Options({"in", "out", "--no-keep-dates"}), "").job.recursive);
}

// --photos stands for its options given on the command line: it wins over the
// settings file, and any of its options given beside it (before or after) wins
// over it. Size, names and quality stay the file's.
TEST_F(ResolveJobTest, PhotosWinsOverTheFileAndLosesToItsOwnOptionsGivenBesideIt) {
    const std::string ini = Ini("SrcDir=/s\r\nDstDir=/d\r\nSize=120\r\nOption=1\r\nReadFileMode=0\r\nQuality=55\r\n"
                                "AutoOrient=0\r\nFilter=0\r\nKeepDates=0\r\nToSRGB=0\r\n");
    const ThumbJob photos = ResolveJob(Options({"--settings", ini.c_str(), "--photos"}), ini).job;
    EXPECT_EQ(photos, (ThumbJob{"/s", "/d", kEveryReadableFormat, "", "",
                                {ImageFormat::kJpeg, 120, Basis::kLarger, true, {true, 55, ScaleFilter::kArea, true, true}}}));
    for (const auto& args : {std::vector<const char*>{"--basis", "width", "--photos", "--from", "png", "--no-srgb"},
                             std::vector<const char*>{"--photos", "--no-srgb", "--from", "png", "--basis", "width"}}) {
        std::vector<const char*> all{"--settings", ini.c_str()};
        all.insert(all.end(), args.begin(), args.end());
        const ThumbJob own = ResolveJob(Options(all), ini).job;
        EXPECT_EQ(own.src_format, SourceChoice{ImageFormat::kPng});
        EXPECT_EQ(own.conversion.basis, Basis::kWidth);
        EXPECT_EQ(own.conversion.photo, (PhotoOptions{true, 55, ScaleFilter::kArea, true, false}));
    }
}

// Every key the job takes comes from one read of the file.
TEST_F(ResolveJobTest, TheSettingsFileIsOpenedOnce) {
    const std::string ini = Ini("SrcDir=/s\r\nQuality=55\r\n");
    test::FileWatch watch(ini);
    if (!watch.ok()) GTEST_SKIP() << "no inotify here";
    EXPECT_EQ(ResolveJob(Options({"--settings", ini.c_str()}), ini).job.conversion.photo.quality, 55);
    EXPECT_EQ(watch.Opens(), 1);
}

TEST_F(ResolveJobTest, ANamedSettingsFileMustExistTheDefaultOneNeedNot) {
    const std::string missing = dir_.path() + "/none.ini";
    EXPECT_THROW(ResolveJob(Options({"--settings", missing.c_str()}), missing), IoError);
    EXPECT_EQ(ResolveJob(Options({}), missing).job, ResolveJob(Options({"", ""}), "").job);
}

}  // namespace
}  // namespace nuthumb
