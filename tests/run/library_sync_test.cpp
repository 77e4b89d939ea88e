// Runs kept in sync with a photo library: what a re-run makes, skips without
// opening, removes and never touches, and what a run killed at any moment leaves.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <thread>
#include <tuple>

#include "platform/file_io.h"
#include "run/library_sync.h"
#include "run/run_folder.h"
#include "tests/support/file_watch.h"
#include "tests/support/folder_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/sample_images.h"
#include "tests/support/thumb_jobs.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using V = std::vector<std::string>;

class SyncHost : public RecordingHost {
public:
    int jobs = 1;
    std::chrono::milliseconds save_interval{5000};
    V planned;
    int ParallelJobs() const override { return jobs; }
    std::chrono::milliseconds SyncSaveInterval() const override { return save_interval; }
    void NotePlanned(bool remove, const std::string& path, std::string_view) override {
        planned.push_back((remove ? "- " : "+ ") + path);
    }
};

// A file's state as a later run could notice it: which file, its size and time.
using FileState = std::tuple<std::uint64_t, std::int64_t, std::int64_t, std::int64_t>;

// Every regular file below `root` (the record too), by relative path.
std::map<std::string, FileState> StatesBelow(const std::string& root) {
    std::map<std::string, FileState> states;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (!it->is_regular_file()) continue;
        const FileIdentity id = *IdentityOf(it->path().string());
        states[fs::relative(it->path(), root).string()] = {id.inode, id.size, id.modified.seconds,
                                                           id.modified.nanoseconds};
    }
    return states;
}

// The thumbnails below `root`: hidden files aside (the record, and what a run
// killed while it named a file for its rename left for a later run to clear).
std::map<std::string, std::string> BytesBelow(const std::string& root) {
    std::map<std::string, std::string> bytes;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        if (it->is_regular_file() && it->path().filename().string().front() != '.')
            bytes[fs::relative(it->path(), root).string()] = test::ReadText(it->path().string());
    return bytes;
}

// The names whose bytes differ between two folders (or lie in one only), so a
// failure names the files rather than printing them.
std::set<std::string> Differing(const std::map<std::string, std::string>& a,
                                const std::map<std::string, std::string>& b) {
    std::set<std::string> names;
    for (const auto& [name, bytes] : a)
        if (const auto found = b.find(name); found == b.end() || found->second != bytes) names.insert(name);
    for (const auto& [name, bytes] : b)
        if (!a.contains(name)) names.insert(name);
    return names;
}

void SetTime(const std::string& path, std::int64_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 123}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Public, so that a table's changes can reach the folders.
class LibrarySyncTest : public ::testing::Test, public test::RunFolders {
public:
    void Photos(const V& paths, std::int32_t width = 8) {
        for (const std::string& path : paths) {
            fs::create_directories(fs::path(in() + "/" + path).parent_path());
            test::WriteSampleBitmap(in() + "/" + path, width);
        }
    }
    ThumbJob Job(std::int32_t size = 4) const {
        ThumbJob job = test::FolderJob(in(), test::kBmp, out(), test::kBmp, size, "t_");
        job.recursive = true;
        job.update = true;
        return job;
    }
    RunCounts Run(const ThumbJob& job, SyncHost& host) {
        RunCounts counts;
        EXPECT_EQ(RunFolder(host, job, &counts), kRunFinished);
        return counts;
    }
    RunCounts Run(const ThumbJob& job, int jobs = 1) {
        SyncHost host;
        host.overwrite_mode = OverwriteMode::kAlways;
        host.jobs = jobs;
        RunCounts counts = Run(job, host);
        EXPECT_EQ(host.errors, V{});
        return counts;
    }
};

// What a re-run with --update makes after one change to the library made by a
// first run: the photos it must look at again and no other.
TEST_F(LibrarySyncTest, ReRunMakesOnlyWhatAChangeMadeStale) {
    struct Case {
        const char* change;
        std::function<void(LibrarySyncTest&)> apply;
        std::size_t made, up_to_date;
        ThumbJob (*job)(const ThumbJob&) = [](const ThumbJob& job) { return job; };
    };
    const Case cases[] = {
        {"nothing", [](LibrarySyncTest&) {}, 0, 3},
        {"a photo edited", [](LibrarySyncTest& t) { t.Photos({"a.bmp"}, 9); }, 1, 2},
        {"a photo edited, same size",
         [](LibrarySyncTest& t) {
             std::string bytes = test::ReadText(t.in() + "/a.bmp");
             bytes[bytes.size() - 1] ^= 0x55;
             test::WriteText(t.in() + "/a.bmp", bytes);
             SetTime(t.in() + "/a.bmp", 1000000000);  // a new time, however coarse the clock
         },
         1, 2},
        {"a photo touched only", [](LibrarySyncTest& t) { SetTime(t.in() + "/a.bmp", 1000000000); }, 0, 3},
        {"a photo copied over itself",
         [](LibrarySyncTest& t) {
             fs::copy_file(t.in() + "/2024/c.bmp", t.in() + "/c.tmp");
             fs::rename(t.in() + "/c.tmp", t.in() + "/2024/c.bmp");
         },
         0, 3},
        {"a thumbnail deleted", [](LibrarySyncTest& t) { fs::remove(t.out() + "/t_b.bmp"); }, 1, 2},
        {"a thumbnail edited by the user",
         [](LibrarySyncTest& t) { test::WriteText(t.out() + "/2024/t_c.bmp", "mine"); }, 1, 2},
        {"the record lost", [](LibrarySyncTest& t) { fs::remove(t.out() + "/" + kSyncRecordName); }, 3, 0},
        {"another size", [](LibrarySyncTest&) {}, 3, 0,
         [](const ThumbJob& job) {
             ThumbJob other = job;
             other.conversion.size = 5;
             return other;
         }},
        {"another filter", [](LibrarySyncTest&) {}, 3, 0,
         [](const ThumbJob& job) {
             ThumbJob other = job;
             other.conversion.photo.filter = ScaleFilter::kArea;
             return other;
         }},
        {"dates kept (times, not bytes)", [](LibrarySyncTest&) {}, 0, 3,
         [](const ThumbJob& job) {
             ThumbJob other = job;
             other.conversion.photo.keep_dates = true;
             return other;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        for (const std::string& folder : {in(), out()}) {
            fs::remove_all(folder);
            fs::create_directory(folder);
        }
        Photos({"a.bmp", "b.bmp", "2024/c.bmp"});
        const RunCounts first = Run(Job());
        EXPECT_EQ(first.made, 3u);
        EXPECT_EQ(first.up_to_date, 0u);
        c.apply(*this);
        const ThumbJob job = c.job(Job());
        const RunCounts second = Run(job);
        EXPECT_EQ(second.made, c.made);
        EXPECT_EQ(second.up_to_date, c.up_to_date);
        // Whatever was made, the thumbnails are those a plain run makes.
        const fs::path fresh = root() + "/fresh";
        fs::create_directory(fresh);
        ThumbJob plain = job;
        plain.update = false;
        plain.dst_dir = fresh.string();
        Run(plain);
        EXPECT_EQ(Differing(BytesBelow(out()), BytesBelow(fresh.string())), std::set<std::string>{});
        fs::remove_all(fresh);
        // The third run finds everything up to date, and opens no photo.
        std::vector<std::unique_ptr<test::FileWatch>> watches;
        for (const char* photo : {"a.bmp", "b.bmp", "2024/c.bmp"})
            watches.push_back(std::make_unique<test::FileWatch>(in() + "/" + photo));
        const auto before = StatesBelow(out());
        const RunCounts third = Run(job);
        EXPECT_EQ(third.made, 0u);
        EXPECT_EQ(third.up_to_date, 3u);
        EXPECT_EQ(StatesBelow(out()), before);
        for (const auto& watch : watches) {
            ASSERT_TRUE(watch->ok());
            EXPECT_EQ(watch->Opens(), 0);
        }
    }
}

// --prune removes what the record lists and the photos left, and the folders
// runs made that are then empty; never a file the user made or changed.
TEST_F(LibrarySyncTest, PruneRemovesOnlyWhatGonePhotosLeft) {
    Photos({"a.bmp", "b.bmp", "gone/c.bmp", "kept/d.bmp", "edited/e.bmp"});
    fs::create_directories(out() + "/mine");
    test::WriteText(out() + "/notes.txt", "mine");
    test::WriteText(out() + "/t_x.bmp", "mine, named like a thumbnail");
    Run(Job());
    test::WriteText(out() + "/kept/own.txt", "mine, in a folder a run made");
    test::WriteText(out() + "/edited/t_e.bmp", "edited by the user");
    for (const char* photo : {"b.bmp", "gone/c.bmp", "kept/d.bmp", "edited/e.bmp"}) fs::remove(in() + "/" + photo);
    fs::remove(in() + "/gone");

    // Without --prune nothing goes.
    const auto before = StatesBelow(out());
    EXPECT_EQ(Run(Job()).removed, 0u);
    EXPECT_EQ(StatesBelow(out()), before);

    // A dry run lists what would go and changes nothing.
    ThumbJob job = Job();
    job.prune = true;
    job.dry_run = true;
    SyncHost host;
    const RunCounts planned = Run(job, host);
    EXPECT_EQ(host.planned, (V{"- " + out() + "/gone/t_c.bmp", "- " + out() + "/kept/t_d.bmp", "- " + out() + "/t_b.bmp"}));
    EXPECT_EQ(planned.removed, 3u);
    EXPECT_EQ(StatesBelow(out()), before);

    job.dry_run = false;
    const RunCounts pruned = Run(job);
    EXPECT_EQ(pruned.removed, 3u);
    EXPECT_EQ(pruned.up_to_date, 1u);
    std::set<std::string> left;
    for (const auto& [path, state] : StatesBelow(out())) left.insert(path);
    EXPECT_EQ(left, (std::set<std::string>{kSyncRecordName, "edited/t_e.bmp", "kept/own.txt", "notes.txt", "t_a.bmp",
                                           "t_x.bmp"}));
    EXPECT_FALSE(fs::exists(out() + "/gone"));
    EXPECT_TRUE(fs::exists(out() + "/mine"));
    // The edited thumbnail is forgotten: the photo coming back makes it anew, as any file in the way.
    Photos({"edited/e.bmp"});
    EXPECT_EQ(Run(job).made, 1u);
}

// A photo of a format the run no longer reads is no longer chosen: its
// thumbnail goes with --prune; one in a folder a run of one folder does not
// read stays.
TEST_F(LibrarySyncTest, PruneRemovesThumbnailsOfFormatsNoLongerChosen) {
    Photos({"a.bmp", "sub/b.bmp"});
    test::WriteText(in() + "/c.jpg", "");
    Run(Job());
    ThumbJob job = Job();
    job.recursive = false;
    job.prune = true;
    job.src_format = ImageFormat::kJpeg;
    SyncHost host;
    host.overwrite_mode = OverwriteMode::kAlways;
    const RunCounts counts = Run(job, host);
    EXPECT_EQ(counts.removed, 1u);
    EXPECT_FALSE(fs::exists(out() + "/t_a.bmp"));
    EXPECT_TRUE(fs::exists(out() + "/sub/t_b.bmp"));
}

// A gallery: each variant's target is recorded with its own settings; a change
// to one variant makes its photo's targets again, and a gone photo takes the
// targets of every variant with it.
TEST_F(LibrarySyncTest, GalleryVariantsAreRecordedAndPrunedEachOnItsOwn) {
    Photos({"a.bmp", "b.bmp"});
    ThumbJob job = Job();
    job.prune = true;
    job.variants = {{"small", "", "", test::Scale(4, test::kBmp)}, {"big", "", "", test::Scale(6, test::kJpg)}};
    EXPECT_EQ(Run(job).made, 4u);
    EXPECT_EQ(Run(job).up_to_date, 4u);
    job.variants[1].conversion.size = 7;
    const RunCounts changed = Run(job);
    EXPECT_EQ(changed.made, 4u);
    EXPECT_EQ(changed.up_to_date, 0u);
    fs::remove(in() + "/b.bmp");
    const RunCounts pruned = Run(job);
    EXPECT_EQ(pruned.up_to_date, 2u);
    EXPECT_EQ(pruned.removed, 2u);
    std::set<std::string> left;
    for (const auto& [path, state] : StatesBelow(out())) left.insert(path);
    EXPECT_EQ(left, (std::set<std::string>{kSyncRecordName, "big/a.jpg", "small/a.bmp"}));
}

// One worker or several: the same thumbnails, the same record, and each run's
// record serves the other.
TEST_F(LibrarySyncTest, OneThreadAndSeveralRecordTheSame) {
    V photos;
    for (int i = 0; i < 24; ++i) photos.push_back("f" + std::to_string(i % 3) + "/p" + std::to_string(i) + ".bmp");
    Photos(photos);
    EXPECT_EQ(Run(Job(), 4).made, 24u);
    const SyncRecord parallel = LoadSyncRecord(out());
    EXPECT_EQ(Run(Job(), 1).up_to_date, 24u);
    ThumbJob other = Job(5);
    EXPECT_EQ(Run(other, 1).made, 24u);
    EXPECT_EQ(Run(other, 4).up_to_date, 24u);
    EXPECT_EQ(Run(Job(), 1).made, 24u);
    const SyncRecord serial = LoadSyncRecord(out());
    ASSERT_EQ(serial.entries().size(), parallel.entries().size());
    for (const auto& [target, entry] : serial.entries()) {
        const SyncEntry* other_entry = parallel.Find(target);
        ASSERT_NE(other_entry, nullptr) << target;
        EXPECT_EQ(entry.source, other_entry->source);
        EXPECT_EQ(entry.settings, other_entry->settings);
        EXPECT_EQ(entry.content, other_entry->content);
    }
}

// A run killed at any moment, then run again: every thumbnail is the one its
// photo and settings give (none taken as up to date from a record written
// before it landed), and a third run has nothing to do.
TEST_F(LibrarySyncTest, RunKilledAnywhereLosesNothingAndSkipsNothingWrongly) {
    V photos;
    for (int i = 0; i < 60; ++i) photos.push_back("f" + std::to_string(i % 4) + "/p" + std::to_string(i) + ".bmp");
    Photos(photos, 64);
    const fs::path expected_dir = root() + "/expected";
    fs::create_directory(expected_dir);
    ThumbJob plain = Job(40);
    plain.update = false;
    plain.dst_dir = expected_dir.string();
    const auto start = std::chrono::steady_clock::now();
    Run(plain);
    const auto full = std::chrono::steady_clock::now() - start;
    const auto expected = BytesBelow(expected_dir.string());

    for (int step = 0; step <= 8; ++step) {
        SCOPED_TRACE("killed at " + std::to_string(step) + "/8 of a run");
        fs::remove_all(out());
        fs::create_directory(out());
        Run(Job(20), step % 2 ? 1 : 3);  // a record of other settings to be replaced
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SyncHost host;
            host.overwrite_mode = OverwriteMode::kAlways;
            host.jobs = step % 2 ? 3 : 1;
            host.save_interval = std::chrono::milliseconds(0);
            // Saves its record after every file, so kills land between saves too.
            RunFolder(host, Job(40));
            ::_exit(0);
        }
        std::this_thread::sleep_for(full * step / 8);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const RunCounts again = Run(Job(40));
        EXPECT_EQ(again.made + again.up_to_date, 60u);
        EXPECT_EQ(Differing(BytesBelow(out()), expected), std::set<std::string>{});
        EXPECT_EQ(Run(Job(40)).up_to_date, 60u);
    }
}

// The record reads back what it wrote, names with any byte but NUL included;
// a line it cannot understand, or one leading out of the destination, is
// passed over.
TEST(SyncRecordTest, ReadsBackWhatItWroteAndPassesOverWhatItDidNot) {
    SyncRecord record;
    const SyncEntry entry{"/photos", "2024/a\tb%c\n.jpg", {123, {1700000000, 5}, 7, 8}, 0xABCDEF, "0123", {9, {-2, 999999999}, 0, 11}};
    record.Put("2024/t_a\tb%c\n.jpg", entry);
    record.Put("x.jpg", SyncEntry{"/other", "x.jpg", {}, 1, "f", {}});
    record.made_folders = {"2024", "a b"};
    const std::string text = record.Format();
    const SyncRecord back = SyncRecord::Parse(text);
    EXPECT_EQ(back.entries(), record.entries());
    EXPECT_EQ(back.made_folders, record.made_folders);
    EXPECT_EQ(back.Format(), text);

    const std::string header = "nuthumb-sync 1\nS\t/p\n";
    const std::string good = "T\ta.jpg\ta.jpg\t1\t2.000000000\t3\t4\t5\tf\t6\t7.000000000\t8\n";
    EXPECT_EQ(SyncRecord::Parse(header + good).entries().size(), 1u);
    for (const std::string bad : {"T\t../a.jpg\ta.jpg\t1\t2.000000000\t3\t4\t5\tf\t6\t7.000000000\t8\n",
                                  "T\ta.jpg\t/etc/a.jpg\t1\t2.000000000\t3\t4\t5\tf\t6\t7.000000000\t8\n",
                                  "T\ta.jpg\ta.jpg\t-1\t2.000000000\t3\t4\t5\tf\t6\t7.000000000\t8\n",
                                  "T\ta.jpg\ta.jpg\t1\t2.5\t3\t4\t5\tf\t6\t7.000000000\t8\n",
                                  "T\ta.jpg\ta.jpg\t1\t2.000000000\t3\t4\t5\tf\t6\t7.000000000\n",
                                  "T\ta%2.jpg\ta.jpg\t1\t2.000000000\t3\t4\t5\tf\t6\t7.000000000\t8\n",
                                  "F\t../up\n"}) {
        SCOPED_TRACE(bad);
        const SyncRecord parsed = SyncRecord::Parse(header + bad + good);
        EXPECT_EQ(parsed.entries().size(), 1u);
        EXPECT_TRUE(parsed.made_folders.empty());
    }
    EXPECT_TRUE(SyncRecord::Parse("nuthumb-sync 2\nS\t/p\n" + good).entries().empty());
    EXPECT_TRUE(SyncRecord::Parse(good).entries().empty());
}

}  // namespace
}  // namespace nuthumb
