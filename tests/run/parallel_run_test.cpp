// A folder run on several threads must look exactly like the one-thread run: the
// same target bytes, ErrorList, questions, messages, progress and result, whatever
// the files, the answers, the live options or a cancel do.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <thread>
#include <tuple>

#include "run/run_folder.h"
#include "platform/file_io.h"
#include "tests/image/jpeg_fixtures.h"
#include "tests/support/folder_files.h"
#include "tests/support/recording_host.h"
#include "tests/support/sample_images.h"
#include "tests/support/thumb_jobs.h"
#include "tests/support/unprivileged.h"

namespace nuthumb {
namespace {

namespace fs = std::filesystem;
using V = std::vector<std::string>;

// Everything the run shows, in order, with the temporary folder's name taken out.
class TracingHost : public RecordingHost {
public:
    int jobs = 1;
    std::string root;
    V trace;

    int ParallelJobs() const override { return jobs; }
    // Waits for workers, each checked to come on the run's own thread.
    int waits = 0;
    bool waits_off_thread = false;
    std::function<void()> on_wait;
    void WhileWaitingForWorkers() override {
        ++waits;
        waits_off_thread |= std::this_thread::get_id() != run_thread_;
        if (on_wait) on_wait();
    }
    void AppendError(const std::string& line) override { Log("list " + line); }
    void SetProgressMax(int maximum) override { Log("max " + std::to_string(maximum)); }
    void SetProgressPosition(int position) override {
        RecordingHost::SetProgressPosition(position);
        Log("at " + std::to_string(position));
    }
    void SetStatusText(const std::string& text) override { Log("status " + text); }
    void ShowError(const std::string& text) override { Log("error " + text); }
    bool AskOkCancel(const std::string& text) override {
        const bool answer = RecordingHost::AskOkCancel(text);
        Log("ask " + text + (answer ? " -> OK" : " -> Cancel"));
        return answer;
    }

private:
    std::thread::id run_thread_ = std::this_thread::get_id();
    void Log(std::string line) {
        for (std::size_t at = 0; !root.empty() && (at = line.find(root, at)) != std::string::npos;)
            line.replace(at, root.size(), "{root}");
        trace.push_back(std::move(line));
    }
};

struct Job {
    ImageFormat from = test::kJpg, to = test::kJpg;
    std::string prefix, suffix;
    bool same_folder = false;
    bool recursive = false;
};

struct Scenario {
    const char* name;
    Job job;
    std::function<void(const std::string& in, const std::string& out)> files;
    std::function<void(TracingHost&)> options;
    friend void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }
};

struct Outcome {
    int result = 0;
    RunCounts counts;
    V trace;
    std::map<std::string, std::string> files;  // every file left in the folders, with its bytes
};

Outcome RunScenario(const Scenario& scenario, int jobs) {
    const test::RunFolders dir;
    const std::string in = dir.in();
    const std::string out = scenario.job.same_folder ? in : dir.out();
    scenario.files(in, out);

    TracingHost host;
    host.jobs = jobs;
    host.root = dir.root();
    host.report_load_errors = true;
    host.overwrite_mode = OverwriteMode::kAlways;
    if (scenario.options) scenario.options(host);
    Outcome outcome;
    ThumbJob job = test::FolderJob(in, scenario.job.from, out, scenario.job.to, 24, scenario.job.prefix,
                                   scenario.job.suffix);
    job.recursive = scenario.job.recursive;
    outcome.result = RunFolder(host, job, &outcome.counts);
    outcome.trace = host.trace;
    for (const auto& entry : fs::recursive_directory_iterator(dir.root())) {
        if (!entry.is_regular_file() && !entry.is_symlink()) continue;
        const std::string name = fs::relative(entry.path(), dir.root()).string();
        if (entry.is_symlink())
            outcome.files[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.file_size() > (1 << 20))  // the sparse giant: its size says enough
            outcome.files[name] = "size " + std::to_string(entry.file_size());
        else
            outcome.files[name] = test::ReadText(entry.path().string());
    }
    return outcome;
}

void Jpeg(const std::string& path, int width, int height, const std::string& options) {
    WriteFileAtomic(path, test::MakeTestJpeg(width, height, options));
}

// A handful of JPEG codings and the usual kinds of bad source.
void MixedSources(const std::string& in) {
    Jpeg(in + "/a.jpg", 90, 70, "-sample 2x2");
    Jpeg(in + "/b.jpg", 61, 83, "-progressive -sample 2x1");
    test::WriteText(in + "/c.jpg", "not an image");
    Jpeg(in + "/d.jpg", 40, 120, "-sample 1x1 -grayscale");
    // Larger than any image may be: refused as unreadable, with the reason.
    test::WriteText(in + "/e.jpg", "");
    fs::resize_file(in + "/e.jpg", std::uintmax_t{3} << 30);
    Jpeg(in + "/f.jpg", 77, 55, "-arithmetic");
    const std::vector<std::uint8_t> whole = test::MakeTestJpeg(64, 64, "");
    WriteFileAtomic(in + "/g.jpg", std::vector<std::uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
    for (int i = 0; i < 6; ++i) Jpeg(in + "/h" + std::to_string(i) + ".jpg", 30 + 7 * i, 40, "-sample 2x2");
}

// The mixed sources spread over a tree: in the top folder, in a folder and in
// the folder below it, with a hidden folder and a link loop beside them.
void MixedTree(const std::string& in) {
    MixedSources(in);
    fs::create_directories(in + "/2024/05");
    fs::create_directories(in + "/.cache");
    for (const char* name : {"b.jpg", "d.jpg", "g.jpg"}) fs::rename(in + "/" + name, in + "/2024/" + name);
    for (const char* name : {"h1.jpg", "h4.jpg"}) fs::rename(in + "/" + name, in + "/2024/05/" + name);
    fs::rename(in + "/h5.jpg", in + "/.cache/h5.jpg");
    fs::create_directory_symlink("..", in + "/2024/up");
}

const std::vector<Scenario> kScenarios = {
    {"FailuresAndQuestionsInListOrder", Job{}, [](const std::string& in, const std::string& out) {
         MixedSources(in);
         for (const char* name : {"a.jpg", "b.jpg", "f.jpg", "h1.jpg"}) test::WriteText(out + "/" + name, "old");
     },
     [](TracingHost& host) {
         host.overwrite_mode = OverwriteMode::kAsk;
         host.answers = {true, true, true, false, false, true, true};
     }},
    {"PreCheckSaysNoToEveryFile", Job{test::kJpg, test::kBmp, "", "", false}, [](const std::string& in, const std::string& out) {
         MixedSources(in);
         for (const auto& entry : fs::directory_iterator(in))
             test::WriteText(out + "/" + entry.path().stem().string() + ".bmp", "old");
     },
     [](TracingHost& host) { host.overwrite_mode = OverwriteMode::kNever; }},
    {"CancelAfterTheThirdFile", Job{}, [](const std::string& in, const std::string&) { MixedSources(in); },
     [](TracingHost& host) {
         host.on_pending = [&host] {
             if (host.progress_position == 3) host.cancel = true;
         };
     }},
    {"LiveOptionsChangeDuringTheRun", Job{}, [](const std::string& in, const std::string& out) {
         MixedSources(in);
         for (const auto& entry : fs::directory_iterator(in)) test::WriteText(out + "/" + entry.path().filename().string(), "old");
     },
     [](TracingHost& host) {
         host.overwrite_mode = OverwriteMode::kNever;
         host.report_load_errors = false;
         host.answers = {true, false, true, true, false, true, true, true};
         host.on_pending = [&host] {
             if (host.progress_position == 2) host.overwrite_mode = OverwriteMode::kAsk, host.report_load_errors = true;
             if (host.progress_position == 6) host.overwrite_mode = OverwriteMode::kAlways;
         };
     }},
    {"EarlierTargetReplacesALaterSource", Job{test::kJpg, test::kJpg, "t_", "", true},
     [](const std::string& in, const std::string&) {
         // a.jpg becomes t_a.jpg before t_a.jpg's turn, which becomes t_t_a.jpg.
         Jpeg(in + "/a.jpg", 200, 150, "-sample 2x2");
         Jpeg(in + "/t_a.jpg", 50, 90, "-progressive");
         Jpeg(in + "/t_t_a.jpg", 33, 44, "-sample 1x1");
         Jpeg(in + "/z.jpg", 90, 90, "");
     },
     nullptr},
    {"TreeWithQuestionsIntoFoldersStillToMake", Job{test::kJpg, test::kBmp, "", "", false, true},
     [](const std::string& in, const std::string& out) {
         MixedTree(in);
         fs::create_directory(out + "/2024");
         for (const char* name : {"a.bmp", "2024/b.bmp", "2024/g.bmp"}) test::WriteText(out + "/" + name, "old");
     },
     [](TracingHost& host) {
         host.overwrite_mode = OverwriteMode::kAsk;
         host.answers = {true, false, true};
     }},
    // Thumbnails land beside their sources in every folder of the tree, where a
    // later file of the same folder may be an earlier file's target.
    {"TreeIntoItselfReplacesLaterSourcesInEachFolder", Job{test::kJpg, test::kJpg, "t_", "", true, true},
     [](const std::string& in, const std::string&) {
         MixedTree(in);
         for (const char* folder : {"", "/2024", "/2024/05"}) {
             Jpeg(in + folder + "/m.jpg", 120, 80, "-sample 2x2");
             Jpeg(in + folder + "/t_m.jpg", 50, 90, "-progressive");
         }
     },
     nullptr},
    {"EverySourceReplacedByItsOwnThumbnail", Job{test::kJpg, test::kJpg, "", "", true},
     [](const std::string& in, const std::string&) { MixedSources(in); }, nullptr},
    // Two names for one file: a link at an early target's name leads to a later
    // target, which must find it written (as on one thread) however far the
    // earlier one is from being renamed into place.
    {"LinkAtATargetNamesALaterTargetNeverReplaced", Job{}, [](const std::string& in, const std::string& out) {
         for (int i = 0; i < 10; ++i) Jpeg(in + "/img0" + std::to_string(i) + ".jpg", 40 + i, 30, "");
         fs::create_symlink("img09.jpg", out + "/img00.jpg");
     },
     [](TracingHost& host) { host.overwrite_mode = OverwriteMode::kNever; }},
    {"LinkAtATargetNamesALaterTargetAsked", Job{}, [](const std::string& in, const std::string& out) {
         for (int i = 0; i < 10; ++i) Jpeg(in + "/img0" + std::to_string(i) + ".jpg", 40 + i, 30, "");
         fs::create_symlink("img09.jpg", out + "/img00.jpg");
         fs::create_symlink("./img07.jpg", out + "/img03.jpg");
     },
     [](TracingHost& host) {
         host.overwrite_mode = OverwriteMode::kAsk;
         host.answers = {true, true, true};
     }},
    {"LinkedSourceNamesAnEarlierTarget", Job{}, [](const std::string& in, const std::string& out) {
         Jpeg(in + "/a.jpg", 120, 80, "");
         test::WriteText(out + "/a.jpg", "old");
         fs::create_symlink("../out/a.jpg", in + "/b.jpg");
         Jpeg(in + "/c.jpg", 70, 70, "-progressive");
     },
     nullptr},
};

class ParallelRunTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(ParallelRunTest, LooksExactlyLikeTheOneThreadRun) {
    const Outcome one = RunScenario(GetParam(), 1);
    ASSERT_FALSE(one.trace.empty());
    // More threads than cores, so that the workers run ahead in every order.
    for (int jobs : {2, 5}) {
        const Outcome many = RunScenario(GetParam(), jobs);
        EXPECT_EQ(many.result, one.result) << jobs;
        EXPECT_EQ(many.counts, one.counts) << jobs;
        EXPECT_EQ(many.trace, one.trace) << jobs;
        EXPECT_EQ(many.files, one.files) << jobs;
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ParallelRunTest, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// Large files keep the run waiting for its workers: the host is given its turn
// on the run's thread meanwhile (the window handles its events there), nothing
// the run shows changes, and a cancel made during a wait stops the run as a
// cancel between files does.
TEST(ParallelRunWaits, HandTheHostItsTurnWithoutChangingTheRun) {
    const test::RunFolders dir;
    const std::string in = dir.in();
    // Progressive: the whole image is entropy-decoded, however small the thumbnail.
    for (int i = 0; i < 4; ++i) Jpeg(in + "/" + std::to_string(i) + ".jpg", 3000, 2000, "-progressive");
    const auto run = [&](int jobs, bool cancel_in_wait) {
        const std::string out = dir.root() + "/out" + std::to_string(jobs) + (cancel_in_wait ? "c" : "");
        fs::create_directory(out);
        TracingHost host;
        host.jobs = jobs;
        host.overwrite_mode = OverwriteMode::kAlways;
        if (cancel_in_wait) host.on_wait = [&host] { host.cancel = true; };
        const int result = RunFolder(host, test::FolderJob(in, test::kJpg, out, test::kJpg, 24));
        EXPECT_FALSE(host.waits_off_thread);
        return std::make_tuple(result, host.trace, host.waits, test::NamesIn(out).size());
    };
    const auto [one_result, one_trace, one_waits, one_files] = run(1, false);
    const auto [two_result, two_trace, two_waits, two_files] = run(2, false);
    EXPECT_EQ(one_waits, 0) << "one thread never waits";
    EXPECT_GT(two_waits, 0);
    EXPECT_EQ(two_result, one_result);
    EXPECT_EQ(two_trace, one_trace);
    EXPECT_EQ(two_files, 4u);
    const auto [cancel_result, cancel_trace, cancel_waits, cancel_files] = run(2, true);  // after its file
    EXPECT_EQ(cancel_result, kRunCancelled);
    EXPECT_LT(cancel_files, 4u);
}

// Many small files and a cancel at a random file, again and again: the run stops
// there, every file up to it is written whole, nothing after it, no temporary file
// stays behind. Run under ThreadSanitizer too.
TEST(ParallelRunStress, RandomCancelsStopAtTheirFile) {
    const test::RunFolders dir;
    const std::string in = dir.in();
    constexpr int kFiles = 120;
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/%03d.bmp", i);
        test::WriteSampleBitmap(in + name, 9 + i % 13, 7 + i % 5);
    }
    std::mt19937 random(20261208);
    for (int round = 0; round < 12; ++round) {
        const std::string out = dir.root() + "/out" + std::to_string(round);
        fs::create_directory(out);
        const int stop_at = std::uniform_int_distribution<int>(1, kFiles)(random);
        TracingHost host;
        host.jobs = 2 + round % 4;
        host.overwrite_mode = OverwriteMode::kAlways;
        host.on_pending = [&] {
            if (host.progress_position == stop_at) host.cancel = true;
        };
        EXPECT_EQ(RunFolder(host, test::FolderJob(in, test::kBmp, out, round % 2 ? test::kBmp : test::kJpg, 5)), kRunCancelled);
        EXPECT_EQ(host.progress_position, stop_at);
        std::set<std::string> expected;
        for (int i = 0; i < stop_at; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%03d.%s", i, round % 2 ? "bmp" : "jpg");
            expected.insert(name);
        }
        EXPECT_EQ(test::NamesIn(out), expected) << "round " << round << ", cancel at " << stop_at;
    }
}

// Out of threads (a limit on processes) or of descriptors (a low limit on open
// files), a run with many jobs goes on with what it gets: slower, never a file
// lost, never a crash.
TEST(ParallelRunLimits, OutOfThreadsOrDescriptorsCostsSpeedNeverFiles) {
    const test::RunFolders dir;
    const std::string in = dir.in();
    constexpr int kFiles = 150;
    for (int i = 0; i < kFiles; ++i) test::WriteSampleBitmap(in + "/" + std::to_string(i) + ".bmp", 20 + i % 9, 12);
    const auto run_limited = [&](const std::string& out, int jobs, int resource, rlim_t limit) {
        fs::create_directory(out);
        fs::permissions(dir.root(), fs::perms::all);
        fs::permissions(out, fs::perms::all);
        return test::InChild(
            [resource, limit] {
                const rlimit cap{limit, limit};
                return test::DropRootPrivileges() && ::setrlimit(resource, &cap) == 0;
            },
            [&] {
                TracingHost host;
                host.jobs = jobs;
                host.overwrite_mode = OverwriteMode::kAlways;
                const int result = RunFolder(host, test::FolderJob(in, test::kBmp, out, test::kJpg, 30));
                const auto failed = std::count_if(host.trace.begin(), host.trace.end(),
                                                  [](const std::string& line) { return line.starts_with("list "); });
                return std::to_string(result) + " " + std::to_string(failed);
            });
    };
    const std::optional<std::string> no_threads = run_limited(dir.root() + "/a", 4, RLIMIT_NPROC, 1);
    const std::optional<std::string> few_files = run_limited(dir.root() + "/b", 5, RLIMIT_NOFILE, 32);
    if (!no_threads || !few_files) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(*no_threads, std::to_string(kRunFinished) + " 0");
    EXPECT_EQ(*few_files, std::to_string(kRunFinished) + " 0");
    EXPECT_EQ(test::NamesIn(dir.root() + "/a").size(), std::size_t{kFiles});
    EXPECT_EQ(test::NamesIn(dir.root() + "/b").size(), std::size_t{kFiles});
}

}  // namespace
}  // namespace nuthumb
