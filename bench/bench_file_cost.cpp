// What a folder run costs per file when the files are small: 1,000 crops of
// 640 x 480 (bench/make_crops.sh) as JPEG, PNG and WebP, in one folder and as a
// tree of 100 folders, 160 px high JPEG thumbnails into an empty folder on every
// core. For each command line (the built one, or those named by --cli, e.g. an
// older build, measured in the same interleaved rounds), each run a child of its
// own, best of the rounds: wall and CPU time per file, minor page faults per file
// (the whole process's, start-up included) and, from one more run under strace
// (Debian strace, when installed), the system calls per file by name. Beside
// them: the floor (libjpeg-turbo alone decoding the JPEG crops at full size on
// one thread), 20,000 small JPEGs in 2,000 folders against the same files in one
// folder, and, with --photos, smooth thumbnails (--filter area) of real photos
// against their floor.
//
// Usage: bench_file_cost [--cli PATH]... [--rounds N] [--jobs N] [--no-strace]
//                        [--photos FOLDER] [CROPS_FOLDER]   (default: bench-data/crops)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/floor_decode.h"
#include "image/prepare_thumbnail.h"
#include "platform/file_io.h"
#include "tests/support/child_process.h"

namespace {

namespace fs = std::filesystem;
using nuthumb::bench::ScratchDir;
using nuthumb::bench::Silenced;
using nuthumb::test::ChildEnd;
using nuthumb::test::RunChild;

struct Options {
    std::vector<std::string> clis;
    int rounds = 3;
    std::string jobs;  // empty: the command line's default, one thread per core
    bool strace = true;
    std::string photos;
    std::string crops = "bench-data/crops";
};

// One folder of sources, run with the options that reach it.
struct Case {
    std::string name, folder;
    std::size_t files = 0;
    std::vector<std::string> options;  // --from, --recursive, --filter
};

// One command line's best over the rounds of one case, and its calls under strace.
struct Result {
    double wall = 1e30, cpu = 1e30;
    long faults = 0;
    bool ok = true;
    std::map<std::string, std::pair<long, long>> calls;  // name: calls, errors
    long total_calls = 0;
};

// The name of file `i` of `count` in a tree of `folders` folders, ten to a
// parent ("d3/d31/"), or in one folder when `folders` is 1.
std::string PlaceIn(const std::string& root, int i, int folders, const std::string& name) {
    if (folders == 1) return root + "/" + name;
    const int f = i % folders;
    const std::string folder = root + "/d" + std::to_string(f / 10) + "/d" + std::to_string(f);
    fs::create_directories(folder);
    return folder + "/" + name;
}

void Put(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    nuthumb::bench::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<std::uint8_t> Converted(const std::string& path, nuthumb::ImageFormat format, int size) {
    nuthumb::Conversion conversion;
    conversion.target_format = format;
    conversion.resize = size > 0;
    conversion.size = size;
    nuthumb::PreparedThumbnail prepared = nuthumb::PrepareThumbnail(path, conversion, {});
    if (prepared.outcome != nuthumb::PreparedThumbnail::Outcome::kReady)
        throw std::runtime_error("cannot convert " + path);
    return std::move(prepared.target_bytes);
}

// The crops as JPEG (the files themselves), PNG and WebP, each in one folder and
// in a tree of 100 folders; then 20,000 small JPEGs (80 x 60, from the crops) in
// one folder and in 2,000.
std::vector<Case> MakeCases(const std::vector<std::string>& crops, const std::string& root) {
    std::vector<Case> cases;
    const struct {
        const char* name;
        nuthumb::ImageFormat format;
    } formats[] = {{"jpg", nuthumb::ImageFormat::kJpeg},
                   {"png", nuthumb::ImageFormat::kPng},
                   {"webp", nuthumb::ImageFormat::kWebp}};
    for (const auto& format : formats) {
        const std::string flat = root + "/" + format.name + "-flat", tree = root + "/" + format.name + "-tree";
        fs::create_directories(flat);
        for (std::size_t i = 0; i < crops.size(); ++i) {
            const std::string name = fs::path(crops[i]).stem().string() + "." + format.name;
            const std::vector<std::uint8_t> bytes = format.format == nuthumb::ImageFormat::kJpeg
                                                        ? nuthumb::ReadWholeFile(crops[i])
                                                        : Converted(crops[i], format.format, 0);
            Put(PlaceIn(flat, static_cast<int>(i), 1, name), bytes);
            Put(PlaceIn(tree, static_cast<int>(i), 100, name), bytes);
        }
        cases.push_back({std::string(format.name) + ", one folder", flat, crops.size(), {"--from", format.name}});
        cases.push_back({std::string(format.name) + ", 100 folders", tree, crops.size(),
                         {"--from", format.name, "--recursive"}});
    }
    constexpr int kSmallFiles = 20000;
    const std::string flat = root + "/small-flat", tree = root + "/small-tree";
    fs::create_directories(flat);
    std::vector<std::vector<std::uint8_t>> small;
    for (const std::string& crop : crops) small.push_back(Converted(crop, nuthumb::ImageFormat::kJpeg, 60));
    for (int i = 0; i < kSmallFiles; ++i) {
        const std::string name = nuthumb::bench::Numbered(i) + ".jpg";
        Put(PlaceIn(flat, i, 1, name), small[static_cast<std::size_t>(i) % small.size()]);
        Put(PlaceIn(tree, i, 2000, name), small[static_cast<std::size_t>(i) % small.size()]);
    }
    cases.push_back({"20,000 small JPEGs, one folder", flat, kSmallFiles, {"--recursive"}});
    cases.push_back({"20,000 small JPEGs, 2,000 folders", tree, kSmallFiles, {"--recursive"}});
    return cases;
}

std::vector<std::string> CliArgs(const std::string& cli, const Options& options, const Case& c,
                                 const std::string& out) {
    std::vector<std::string> args{cli, "--quiet", "--size", "160"};
    if (!options.jobs.empty()) args.insert(args.end(), {"--jobs", options.jobs});
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {c.folder, out});
    return args;
}

// strace's summary table: "% time seconds usecs/call calls [errors] syscall".
void ReadStraceSummary(const std::string& path, Result& result) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.size() < 5 || w[0] == "%" || w[0].starts_with("---")) continue;
        const std::string& name = w.back();
        const long calls = std::stol(w[3]);
        const long errors = w.size() == 6 ? std::stol(w[4]) : 0;
        if (name == "total") result.total_calls = calls;
        else result.calls[name] = {calls, errors};
    }
}

void CountCalls(const std::string& cli, const Options& options, const Case& c, Result& result) {
    const ScratchDir out(fs::temp_directory_path().string());
    const std::string summary = out.path() + ".strace";
    std::vector<std::string> args{"strace", "-f", "-c", "-o", summary, "--"};
    const std::vector<std::string> run = CliArgs(cli, options, c, out.path() + "/t");
    args.insert(args.end(), run.begin(), run.end());
    fs::create_directory(out.path() + "/t");
    RunChild({.prepare = Silenced}, args);
    ReadStraceSummary(summary, result);
    fs::remove(summary);
}

void PrintCase(const Case& c, const std::vector<std::string>& clis, const std::vector<Result>& results,
               double floor_per_file) {
    const double n = static_cast<double>(c.files);
    std::printf("%s (%zu files)\n", c.name.c_str(), c.files);
    std::printf("  %-44s %10s %10s %6s %8s %8s %8s %7s\n", "", "wall/file", "cpu/file", "floor", "faults",
                "calls", "failed", "brk");
    for (std::size_t k = 0; k < clis.size(); ++k) {
        const Result& r = results[k];
        long failed = 0;
        for (const auto& [name, count] : r.calls) failed += count.second;
        const auto brk = r.calls.contains("brk") ? r.calls.at("brk").first : 0;
        std::printf("  %-44s %8.3fms %8.3fms %6.2f %8.2f %8.2f %8.2f %7.3f%s\n", clis[k].c_str(), r.wall / n * 1e3,
                    r.cpu / n * 1e3, floor_per_file > 0 ? r.wall / n / floor_per_file : 0.0, r.faults / n,
                    r.total_calls / n, failed / n, brk / n, r.ok ? "" : "  (failed)");
        std::vector<std::pair<long, std::string>> most;
        for (const auto& [name, count] : r.calls) most.emplace_back(count.first, name);
        std::sort(most.rbegin(), most.rend());
        std::printf("    calls per file:");
        for (std::size_t m = 0; m < std::min<std::size_t>(most.size(), 14); ++m) {
            const long errors = r.calls.at(most[m].second).second;
            std::printf(" %s %.2f", most[m].second.c_str(), most[m].first / n);
            if (errors > 0) std::printf(" (%.2f failed)", errors / n);
        }
        std::printf("\n");
    }
}

double FloorSeconds(const std::vector<std::string>& files, int rounds) {
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const ChildEnd end = RunChild({}, [&] {
            for (const std::string& path : files) nuthumb::bench::DecodeFull(path);
            return std::string();
        });
        best = std::min(best, end.seconds);
    }
    return best;
}

// The run's own work on the crops without the file system or threads: each
// crop read, decoded as the 160 px thumbnail needs and encoded, on one thread.
// Half of it is what two cores could at best reach.
double PreparedSeconds(const std::vector<std::string>& files, int rounds) {
    nuthumb::Conversion conversion;
    conversion.size = 160;
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const ChildEnd end = RunChild({}, [&] {
            for (const std::string& path : files)
                if (nuthumb::PrepareThumbnail(path, conversion, {}).outcome !=
                    nuthumb::PreparedThumbnail::Outcome::kReady)
                    return "cannot prepare " + path;
            return std::string();
        });
        best = std::min(best, end.seconds);
    }
    return best;
}

// Every case with every command line, interleaved round by round.
std::vector<std::vector<Result>> Measure(const std::vector<Case>& cases, const Options& options) {
    std::vector<std::vector<Result>> results(cases.size(), std::vector<Result>(options.clis.size()));
    const std::string parent = fs::temp_directory_path().string();
    // Every run's thumbnails are kept until all runs are done: on a file system
    // that passes over recently freed inodes when it makes new ones (ext4
    // without a journal), the run after a removal would pay for it, always the
    // same command line in the same place of the round.
    std::vector<std::unique_ptr<ScratchDir>> outs;
    for (int round = 0; round < options.rounds; ++round)
        for (std::size_t c = 0; c < cases.size(); ++c)
            for (std::size_t k = 0; k < options.clis.size(); ++k) {
                const ScratchDir& out = *outs.emplace_back(std::make_unique<ScratchDir>(parent));
                ::sync();  // the round before's files are not flushed on this one's time
                const ChildEnd end =
                    RunChild({.prepare = Silenced}, CliArgs(options.clis[k], options, cases[c], out.path()));
                Result& r = results[c][k];
                if (end.seconds < r.wall) {
                    r.wall = end.seconds;
                    r.faults = end.minor_faults;
                }
                r.cpu = std::min(r.cpu, end.cpu_seconds);
                r.ok = r.ok && end.exit_code == 0;
            }
    if (options.strace && nuthumb::bench::Installed("strace"))
        for (std::size_t c = 0; c < cases.size(); ++c)
            for (std::size_t k = 0; k < options.clis.size(); ++k)
                CountCalls(options.clis[k], options, cases[c], results[c][k]);
    return results;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--cli" && has_value) options.clis.push_back(argv[++i]);
        else if (arg == "--rounds" && has_value) options.rounds = std::max(1, std::stoi(argv[++i]));
        else if (arg == "--jobs" && has_value) options.jobs = argv[++i];
        else if (arg == "--photos" && has_value) options.photos = argv[++i];
        else if (arg == "--no-strace") options.strace = false;
        else options.crops = arg;
    }
    if (options.clis.empty()) options.clis.push_back(nuthumb::bench::BuiltCli());
    return options;
}

void BenchPhotos(const Options& options) {
    const std::vector<std::string> photos = nuthumb::bench::JpegFilesIn(options.photos);
    if (photos.empty()) return;
    const std::vector<Case> cases = {
        {"photos, --filter area", options.photos, photos.size(), {"--from", "jpg", "--filter", "area"}}};
    Options untraced = options;
    untraced.strace = false;
    const double floor = FloorSeconds(photos, options.rounds);
    const std::vector<std::vector<Result>> results = Measure(cases, untraced);
    std::printf("\n%s: %zu photos, floor %.3f s (full-size decode, 1 thread)\n", options.photos.c_str(),
                photos.size(), floor);
    for (std::size_t k = 0; k < options.clis.size(); ++k)
        std::printf("  %-44s %8.3fs %6.3f x floor, cpu %.3f s%s\n", options.clis[k].c_str(), results[0][k].wall,
                    results[0][k].wall / floor, results[0][k].cpu, results[0][k].ok ? "" : "  (failed)");
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    const std::vector<std::string> crops = nuthumb::bench::JpegFilesIn(options.crops);
    if (crops.empty()) {
        std::printf("%s: no .jpg files (see bench/make_crops.sh)\n", options.crops.c_str());
        return 1;
    }
    const ScratchDir root(fs::temp_directory_path().string());
    const std::vector<Case> cases = MakeCases(crops, root.path());
    const double floor = FloorSeconds(crops, options.rounds);
    const double prepared = PreparedSeconds(crops, options.rounds);
    const std::vector<std::vector<Result>> results = Measure(cases, options);

    std::printf("floor: %zu JPEG crops decoded at full size on 1 thread: %.3f s (%.3f ms a file); best of %d\n",
                crops.size(), floor, floor / static_cast<double>(crops.size()) * 1e3, options.rounds);
    std::printf("their thumbnails read, decoded and encoded on 1 thread, nothing written: %.3f s (%.2f x floor;"
                " half of it on two cores: %.2f x)\n\n",
                prepared, prepared / floor, prepared / floor / 2);
    const double floor_per_file = floor / static_cast<double>(crops.size());
    for (std::size_t c = 0; c < cases.size(); ++c) {
        PrintCase(cases[c], options.clis, results[c], c < 2 ? floor_per_file : 0);
        std::printf("\n");
    }
    const std::size_t flat = cases.size() - 2, tree = cases.size() - 1;
    for (std::size_t k = 0; k < options.clis.size(); ++k)
        std::printf("tree / one folder, 20,000 small JPEGs, %s: %.2f\n", options.clis[k].c_str(),
                    results[tree][k].wall / results[flat][k].wall);
    if (!options.photos.empty()) BenchPhotos(options);
    return 0;
}
