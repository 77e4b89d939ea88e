// Batch-run overhead: 1,000 entries run by RunBatch against the same 1,000 folder
// runs called directly, so the difference is the batch's own work per entry
// (split, folder check, number fields, log lines, selection, progress reset).
// Three batches: empty source folders; one-file folders whose target exists
// (OverwriteMode 0 skips it); one-file folders converted each time.
//
//   build/bench/bench_batch_run [temp-parent-folder]
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/batch_entry.h"
#include "batch/batch_run.h"
#include "batch/comma_text.h"
#include "bench/bench_util.h"
#include "run/run_folder.h"
#include "tests/support/recording_host.h"

namespace {

namespace fs = std::filesystem;
using namespace nuthumb;
using bench::BestSeconds;

constexpr int kEntries = 1'000;
constexpr int kRepeats = 5;

// The window's side of the run, with nothing to show.
class QuietControls : public BatchControls {
public:
    explicit QuietControls(RecordingHost& host) : host_(host) {}
    void SelectBatchEntry(std::size_t) override {}
    void ResetProgressDisplay() override {
        host_.progress_position = 0;
        host_.status.clear();
    }
    void SetBatchRunState() override {}
    void SetIdleState() override {}
    void ClearErrorList() override { host_.errors.clear(); }
    const std::vector<std::string>& ErrorLines() const override { return host_.errors; }

private:
    RecordingHost& host_;
};

void BenchBatch(const std::string& parent, const char* what, bool with_file, nuthumb::OverwriteMode overwrite_mode) {
    bench::ScratchDir dir(parent);
    const std::string bitmap = bench::TinyBitmap();
    std::vector<std::string> entries;
    for (int i = 0; i < kEntries; ++i) {
        const std::string src = dir.path() + "/" + bench::Numbered(i), dst = src + "_out";
        fs::create_directory(src);
        fs::create_directory(dst);
        if (with_file) {
            bench::WriteFile(src + "/a.bmp", bitmap);
            bench::WriteFile(dst + "/t_a.jpg", "");
        }
        FormSettings tab;
        tab.src_dir = src;
        tab.dst_dir = dst;
        tab.read_file_mode = 0;
        tab.file_head = "t_";
        tab.size = 50;
        entries.push_back(ComposeBatchEntry(tab));
    }

    RecordingHost host;
    host.overwrite_mode = overwrite_mode;
    QuietControls controls(host);
    // The same folder runs without the batch around them (the entries' jobs made
    // beforehand, so only RunFolder is timed).
    std::vector<ThumbJob> jobs;
    for (const std::string& entry : entries) jobs.push_back(*JobOfFields(SplitCommaText(entry)));
    const auto run_direct = [&] {
        for (const ThumbJob& job : jobs) {
            RunFolder(host, job);
            controls.ResetProgressDisplay();
        }
    };
    BatchOutcome outcome;
    const auto run_batch = [&] { outcome = RunBatch(host, controls, entries, std::nullopt); };

    // Interleaved, so that a slow phase of the disk hits both alike.
    double batch = 1e30, direct = 1e30;
    for (int r = 0; r < kRepeats; ++r) {
        batch = std::min(batch, BestSeconds(1, run_batch));
        direct = std::min(direct, BestSeconds(1, run_direct));
    }
    if (outcome.entries_taken != kEntries || outcome.failed_files != 0 ||
        outcome.failed_entries != (with_file ? 0u : static_cast<std::size_t>(kEntries)))
        throw std::runtime_error("the batch did not run as planned");
    std::printf("%-40s batch %8.2f ms  folder runs %8.2f ms  overhead %6.2f us per entry\n", what,
                batch * 1e3, direct * 1e3, (batch - direct) * 1e6 / kEntries);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string parent = argc > 1 ? argv[1] : fs::temp_directory_path().string();
    try {
        BenchBatch(parent, "1,000 empty folders", false, nuthumb::OverwriteMode::kNever);
        BenchBatch(parent, "1,000 one-file folders, target kept", true, nuthumb::OverwriteMode::kNever);
        BenchBatch(parent, "1,000 one-file folders, converted", true, nuthumb::OverwriteMode::kAlways);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_batch_run: %s\n", error.what());
        return 1;
    }
    return 0;
}
