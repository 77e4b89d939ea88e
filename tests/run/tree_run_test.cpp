// Runs over a folder tree: which folders are read, where each thumbnail lands,
// what a folder that cannot be read or made costs, and the sources' dates.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "run/run_folder.h"
#include "run/tree_walk.h"
#include "tests/support/folder_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/sample_images.h"
#include "tests/support/thumb_jobs.h"
#include "tests/support/unprivileged.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using V = std::vector<std::string>;

// Also keeps every status line and every failure as a host lists it.
class TreeHost : public RecordingHost {
public:
    int jobs = 1;
    V statuses, failures;
    int ParallelJobs() const override { return jobs; }
    void SetStatusText(const std::string& text) override { statuses.push_back(text); }
    void NoteFailedFile(const std::string& path, std::string_view reason) override {
        failures.push_back(path + ": " + std::string(reason));
    }
};

// Every regular file below `root`, by relative path; folders and links aside.
std::set<std::string> FilesBelow(const std::string& root) {
    std::set<std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        if (it->is_regular_file() && !it->is_symlink()) files.insert(fs::relative(it->path(), root).string());
    return files;
}

class TreeRunTest : public ::testing::Test, protected test::RunFolders {
protected:
    void Bitmaps(const V& paths) {
        for (const std::string& path : paths) {
            fs::create_directories(fs::path(in() + "/" + path).parent_path());
            test::WriteSampleBitmap(in() + "/" + path);
        }
    }
    ThumbJob Tree(const std::string& dst, const std::string& prefix = "t_") {
        ThumbJob job = test::FolderJob(in(), test::kBmp, dst, test::kBmp, 4, prefix);
        job.recursive = true;
        return job;
    }
};

TEST_F(TreeRunTest, EachFolderIsReadOnceAndMirroredIntoTheDestinationInsideIt) {
    Bitmaps({"a.bmp", "2024/e.bmp", "2024/05/d.BMP", "My Photos/b c.bmp", "写真/夏.bmp", ".thumbnails/x.bmp",
             ".git/y.bmp", "skip/f.bmp"});
    test::WriteText(in() + "/2024/p.png", "");
    fs::create_directory_symlink(".", in() + "/loop");         // a link loop
    fs::create_directory_symlink("..", in() + "/2024/up");
    fs::create_directory_symlink(root(), in() + "/elsewhere");  // links to folders are never followed
    const std::string dst = in() + "/thumbs";
    fs::create_directory(dst);
    test::WriteText(dst + "/skip", "a file where a folder is needed");
    test::WriteText(dst + "/q.png", "");  // the destination's files are nobody's sources
    const mode_t old_umask = ::umask(027);

    const std::set<std::string> sources = FilesBelow(in());
    const V order = {"a.bmp", "2024/e.bmp", "2024/05/d.BMP", "My Photos/b c.bmp", "skip/f.bmp", "写真/夏.bmp"};
    const std::set<std::string> made = {"thumbs/t_a.bmp", "thumbs/2024/t_e.bmp", "thumbs/2024/05/t_d.BMP",
                                        "thumbs/My Photos/t_b c.bmp", "thumbs/写真/t_夏.bmp"};
    for (const OverwriteMode overwrite : {OverwriteMode::kNever, OverwriteMode::kAlways}) {
        SCOPED_TRACE(overwrite == OverwriteMode::kNever ? "first run" : "second run, replacing");
        TreeHost host;
        host.overwrite_mode = overwrite;
        host.report_load_errors = true;
        const RunFiles files = ListRunFiles(Tree(dst), host);
        EXPECT_EQ(RunFolder(host, Tree(dst), files), kRunFinished);
        EXPECT_EQ(host.progress_max, 6);
        V shown;
        for (const std::string& status : host.statuses) shown.push_back(status.substr(status.find(": ") + 2));
        EXPECT_EQ(shown, order);
        // The same the second time: the first run's thumbnails were not read.
        std::set<std::string> expected = sources;
        expected.insert(made.begin(), made.end());
        EXPECT_EQ(FilesBelow(in()), expected);
        // The folder that could not be made fails its file alone, named below the destination.
        EXPECT_EQ(host.errors, V{in() + "/skip/f.bmp"});
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text.rfind("ファイルを書き込めません。\r\nFilename : skip/t_f.bmp\r\nフォルダ " + dst +
                                                  "/skip を作成できません: ",
                                              0),
                  0u)
            << host.messages[0].text;
        EXPECT_EQ(PassedOverNote(files, "--from all"),
                  "読込みファイルとは別の形式の画像が 1 個あります（--from all で読み込めます）。");
    }
    ::umask(old_umask);
    EXPECT_EQ(fs::status(dst + "/2024/05").permissions(), fs::perms(0750));
}

TEST_F(TreeRunTest, UnreadableFolderFailsAloneWithItsReason) {
    Bitmaps({"a.bmp", "locked/b.bmp", "m/c.bmp"});
    fs::permissions(root(), fs::perms(0755));
    fs::permissions(out(), fs::perms(0777));
    fs::permissions(in() + "/locked", fs::perms::none);
    const std::optional<std::string> outcome = test::RunUnprivileged([&] {
        TreeHost host;
        std::string text = std::to_string(RunFolder(host, Tree(out(), "")));
        for (const std::string& line : host.errors) text += "\n" + line;
        for (const std::string& line : host.failures) text += "\n" + line;
        for (const std::string& file : FilesBelow(out())) text += "\n" + file;
        return text;
    });
    if (!outcome) GTEST_SKIP() << "cannot run as an ordinary user here";
    const std::string locked = in() + "/locked";
    EXPECT_EQ(*outcome, std::to_string(kRunFinished) + "\nフォルダ " + locked + " を読み込めません: Permission denied\n" +
                            locked + ": Permission denied\na.bmp\nm/c.bmp");
}

// A folder swapped for a link to a folder outside the tree while the walk is
// under way: after its parent was listed (the link is passed over like any link
// to a folder), or after it was read itself, before its subfolder is opened (the
// subfolder is the one inside the folder read, not one reached through the
// link). The walk's own callback swaps, so the moment is exact.
TEST_F(TreeRunTest, FolderSwappedForALinkDuringTheWalkLeadsNowhereOutside) {
    Bitmaps({"a.bmp", "x/b.bmp", "x/y/c.bmp"});
    const std::string outside = root() + "/outside";
    fs::create_directories(outside + "/y");
    test::WriteSampleBitmap(outside + "/evil.bmp");
    test::WriteSampleBitmap(outside + "/y/evil.bmp");
    const struct {
        const char* swapped_after;  // the folder whose files, once handed over, trigger the swap
        V listed;
    } rows[] = {{"", {"a.bmp"}}, {"x", {"a.bmp", "x/b.bmp", "x/y/c.bmp"}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.swapped_after);
        RecordingHost host;
        V listed;
        std::vector<UnreadableFolder> unreadable;
        WalkTree(
            in(), std::nullopt, [](std::string_view) { return NameKind::kListed; }, host,
            [&](const std::string& relative, FolderEntries& entries) {
                for (const std::string& name : entries.files)
                    listed.push_back(relative.empty() ? name : relative + "/" + name);
                if (relative != row.swapped_after) return;
                fs::rename(in() + "/x", in() + "/x.real");
                fs::create_directory_symlink(outside, in() + "/x");
            },
            unreadable);
        EXPECT_EQ(listed, row.listed);
        EXPECT_TRUE(unreadable.empty()) << unreadable.front().error.what();
        fs::remove(in() + "/x");
        fs::rename(in() + "/x.real", in() + "/x");
    }
}

// Gives `path` this modification time; false when its file system cannot hold it.
bool SetModified(const std::string& path, const timespec& when) {
    const timespec times[2] = {{0, UTIME_OMIT}, when};
    struct stat st {};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 && ::stat(path.c_str(), &st) == 0 &&
           st.st_mtim.tv_sec == when.tv_sec && st.st_mtim.tv_nsec == when.tv_nsec;
}

// Also past 2262-04-11, where nanoseconds since 1970 no longer fit 64 bits, and
// before 1970.
TEST_F(TreeRunTest, KeptDatesAreTheSourcesToTheNanosecond) {
    Bitmaps({"a.bmp", "sub/b.bmp"});
    const timespec dates[] = {{981173106, 123456789}, {10413792000, 5}, {-302486400, 7}};  // 2001, 2300, 1960
    for (const timespec& when : dates) {
        SCOPED_TRACE(when.tv_sec);
        bool held = true;
        for (const char* source : {"/a.bmp", "/sub/b.bmp"}) held = held && SetModified(in() + source, when);
        if (!held) continue;  // a file system of a narrower range
        for (const int jobs : {1, 2}) {
            for (const bool keep : {false, true}) {
                const std::string dst = out() + "/" + std::to_string(when.tv_sec) + "-" + std::to_string(jobs) +
                                        (keep ? "keep" : "now");
                fs::create_directory(dst);
                TreeHost host;
                host.jobs = jobs;
                ThumbJob job = Tree(dst);
                job.conversion.photo.keep_dates = keep;
                ASSERT_EQ(RunFolder(host, job), kRunFinished);
                EXPECT_EQ(host.errors, V{});
                for (const char* target : {"/t_a.bmp", "/sub/t_b.bmp"}) {
                    struct stat st {};
                    ASSERT_EQ(::stat((dst + target).c_str(), &st), 0) << dst << target;
                    EXPECT_EQ(st.st_mtim.tv_sec == when.tv_sec && st.st_mtim.tv_nsec == when.tv_nsec, keep)
                        << dst << target;
                }
            }
        }
    }
}

// A date the destination cannot hold is not brought to its limit unseen: the
// file fails with the date named. Needs a source on a wider file system (tmpfs)
// than the destination (ext4 ends in 2446).
TEST_F(TreeRunTest, KeptDateTheDestinationCannotHoldFailsTheFile) {
    std::string wide = "/dev/shm/nuthumb-test-XXXXXX";
    if (!::mkdtemp(wide.data())) GTEST_SKIP() << "no /dev/shm";
    struct Remove {
        std::string path;
        ~Remove() { fs::remove_all(path); }
    } remove{wide};
    const timespec year_3000{32503680000, 0};
    test::WriteSampleBitmap(wide + "/a.bmp");
    test::WriteText(out() + "/probe", "");
    if (!SetModified(wide + "/a.bmp", year_3000) || SetModified(out() + "/probe", year_3000))
        GTEST_SKIP() << "needs a source that holds the year 3000 and a destination that does not";
    TreeHost host;
    host.report_load_errors = true;
    ThumbJob job = test::FolderJob(wide, test::kBmp, out(), test::kBmp, 4, "t_");
    job.conversion.photo.keep_dates = true;
    EXPECT_EQ(RunFolder(host, job), kRunFinished);
    EXPECT_EQ(host.errors, V{wide + "/a.bmp"});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find("このファイルシステムは更新日時 3000-01-01 00:00:00 UTC を保てません"),
              std::string::npos)
        << host.messages[0].text;
    EXPECT_FALSE(fs::exists(out() + "/t_a.bmp"));
}

}  // namespace
}  // namespace nuthumb
