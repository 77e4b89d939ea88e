// A gallery's three outputs of every photo from one decode, against the largest
// output alone, against three separate runs, and against three vipsthumbnail
// runs (Debian libvips-tools, left out when missing). Each contender runs in
// child processes of its own, best of three interleaved rounds; it reports wall
// time, peak memory (the largest of its processes) and the bytes it wrote. All
// make JPEGs at quality 90, with the area filter and the EXIF turn.
// Usage: bench_gallery_run [FOLDER]   (default: bench-data/photos, see bench/fetch_photos.sh)
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/floor_decode.h"
#include "tests/support/child_process.h"

namespace {

namespace fs = std::filesystem;

using nuthumb::bench::Measure;
using nuthumb::bench::Silenced;
using nuthumb::test::ChildEnd;
using nuthumb::test::Command;
using nuthumb::test::RunChild;

// A contender: the commands it runs one after another, given its output folder.
struct Contender {
    std::string name;
    std::vector<Command> (*commands)(const std::string& cli, const std::string& folder,
                                     const std::vector<std::string>& files, const std::string& out);
    Measure best = {};
    std::uintmax_t bytes = 0;
};

Command Cli(const std::string& cli, const std::string& folder, const std::string& out, std::vector<std::string> job) {
    Command command{cli, "--quiet", "--auto-orient", "--filter", "area"};
    command.insert(command.end(), job.begin(), job.end());
    command.insert(command.end(), {folder, out});
    return command;
}

// The three outputs: name, the variant's spec, the box option alone, vipsthumbnail's size.
struct Output {
    const char *name, *spec, *option, *box, *vips_size;
};
constexpr Output kOutputs[] = {{"grid", "fill=256x256", "--fill", "256x256", "256x256"},
                               {"medium", "fit=1024x1024", "--fit", "1024x1024", "1024x1024>"},
                               {"screen", "fit=2048x2048", "--fit", "2048x2048", "2048x2048>"}};

std::vector<Command> Gallery(const std::string& cli, const std::string& folder, const std::vector<std::string>&,
                             const std::string& out) {
    std::vector<std::string> job;
    for (const Output& o : kOutputs) job.insert(job.end(), {"--variant", std::string(o.name) + ":" + o.spec});
    return {Cli(cli, folder, out, job)};
}

std::vector<Command> LargestAlone(const std::string& cli, const std::string& folder, const std::vector<std::string>&,
                                  const std::string& out) {
    return {Cli(cli, folder, out, {kOutputs[2].option, kOutputs[2].box})};
}

std::vector<Command> ThreeRuns(const std::string& cli, const std::string& folder, const std::vector<std::string>&,
                               const std::string& out) {
    std::vector<Command> commands;
    for (const Output& o : kOutputs) commands.push_back(Cli(cli, folder, out + "/" + o.name, {o.option, o.box}));
    return commands;
}

// vipsthumbnail shrinks only with ">", crops a fill around the centre, turns by
// EXIF by default; one run per output over every photo.
std::vector<Command> Vips(const std::string&, const std::string&, const std::vector<std::string>& files,
                          const std::string& out) {
    std::vector<Command> commands;
    for (const Output& o : kOutputs) {
        Command command{"vipsthumbnail", "--size", o.vips_size, "-o", out + "/%s_" + o.name + ".jpg[Q=90]"};
        if (o.option == std::string("--fill")) command.insert(command.end(), {"--smartcrop", "centre"});
        command.insert(command.end(), files.begin(), files.end());
        commands.push_back(std::move(command));
    }
    return commands;
}

std::uintmax_t BytesBelow(const std::string& folder) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) bytes += entry.file_size();
    return bytes;
}

void Round(Contender& contender, const std::string& cli, const std::string& folder,
           const std::vector<std::string>& files) {
    const nuthumb::bench::ScratchDir out(fs::temp_directory_path().string());
    ::sync();  // files of the round before are not flushed on this one's time
    Measure measure{0, 0, true};
    for (const Command& command : contender.commands(cli, folder, files, out.path())) {
        const ChildEnd end = RunChild({.prepare = Silenced}, command);
        measure.seconds += end.seconds;
        measure.peak_kib = std::max(measure.peak_kib, end.peak_kib);
        measure.ok = measure.ok && end.exit_code == 0;
    }
    contender.best.seconds = std::min(contender.best.seconds, measure.seconds);
    contender.best.peak_kib = std::max(contender.best.peak_kib, measure.peak_kib);
    contender.best.ok = contender.best.ok && measure.ok;
    contender.bytes = BytesBelow(out.path());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cli = nuthumb::bench::BuiltCli();
    const auto [folder, files] = nuthumb::bench::PhotosOfArguments(argc, argv);
    if (files.empty()) return 1;
    std::vector<Contender> contenders = {{"gallery: 3 variants, one decode", Gallery},
                                         {"fit=2048x2048 alone", LargestAlone},
                                         {"3 separate runs", ThreeRuns}};
    if (nuthumb::bench::Installed("vipsthumbnail")) contenders.push_back({"vipsthumbnail, 3 runs", Vips});
    for (int round = 0; round < 3; ++round)
        for (Contender& contender : contenders) Round(contender, cli, folder, files);

    const Measure& gallery = contenders[0].best;
    std::printf("%s: %zu photos, best of 3 interleaved rounds\n", folder.c_str(), files.size());
    std::printf("  %-34s %9s %14s %11s %10s\n", "", "wall", "gallery/this", "peak", "written");
    for (const Contender& c : contenders)
        std::printf("  %-34s %8.3fs %14.2f %8.1fMiB %8.1fMiB%s\n", c.name.c_str(), c.best.seconds,
                    gallery.seconds / c.best.seconds, c.best.peak_kib / 1024.0, c.bytes / 1048576.0,
                    c.best.ok ? "" : "  (failed)");
    std::printf("  targets: gallery/alone <= 1.30, gallery/three runs <= 0.50\n");
    return 0;
}
