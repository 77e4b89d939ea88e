// The photo options on real photos, each measurement in a child process of its
// own, best of three interleaved rounds, 160 px high JPEG thumbnails:
//   --filter area against --filter nearest and the floor (libjpeg-turbo alone
//   decoding every file at full size on one thread), on one thread and on every
//   core;
//   --auto-orient on the photos tagged as turned a quarter (EXIF Orientation 6)
//   against the same photos tagged upright (1): what turning costs.
// The area filter's closeness to a box filter of the full decode is measured by
// bench/psnr_area.py.
// Usage: bench_photo_options [FOLDER]   (default: bench-data/photos)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/floor_decode.h"
#include "platform/file_io.h"
#include "platform/online_cores.h"
#include "tests/support/child_process.h"

namespace {

namespace fs = std::filesystem;
using nuthumb::test::ChildEnd;
using nuthumb::bench::Silenced;
using nuthumb::test::RunChild;

// A little-endian APP1 Exif block whose IFD0 holds only the Orientation.
std::string OrientationApp1(int orientation) {
    const unsigned char payload[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,
                                     0x12, 0x01, 3, 0, 1, 0, 0, 0, static_cast<unsigned char>(orientation), 0, 0, 0,
                                     0, 0, 0, 0};
    std::string block = {'\xFF', '\xE1', 0, static_cast<char>(sizeof payload + 2)};
    block.append(reinterpret_cast<const char*>(payload), sizeof payload);
    return block;
}

// Copies of `files` in `folder`, each with the block right after its start marker.
void TaggedCopies(const std::vector<std::string>& files, const std::string& folder, int orientation) {
    for (const std::string& path : files) {
        const std::vector<std::uint8_t> bytes = nuthumb::ReadWholeFile(path);
        std::string tagged(bytes.begin(), bytes.begin() + 2);
        tagged += OrientationApp1(orientation);
        tagged.append(bytes.begin() + 2, bytes.end());
        nuthumb::bench::WriteFile(folder + "/" + fs::path(path).filename().string(), tagged);
    }
}

struct Phase {
    std::string name;
    std::function<ChildEnd(const std::string& out)> run;
    double seconds = 1e30;
    bool ok = true;
};

void Measure(std::vector<Phase>& phases) {
    const std::string parent = fs::temp_directory_path().string();
    for (int round = 0; round < 3; ++round)
        for (Phase& phase : phases) {
            const nuthumb::bench::ScratchDir out(parent);
            ::sync();
            const ChildEnd end = phase.run(out.path());
            phase.seconds = std::min(phase.seconds, end.seconds);
            phase.ok = phase.ok && end.exit_code == 0;
        }
}

void Print(const std::vector<Phase>& phases, const Phase& base, const char* base_name) {
    for (const Phase& phase : phases)
        std::printf("  %-44s %8.3fs %6.2f x %s%s\n", phase.name.c_str(), phase.seconds, phase.seconds / base.seconds,
                    base_name, phase.ok ? "" : "  (failed)");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cli = nuthumb::bench::BuiltCli();
    const auto [folder, files] = nuthumb::bench::PhotosOfArguments(argc, argv);
    if (files.empty()) return 1;
    const auto cli_run = [&](std::vector<std::string> options, std::string source) {
        return [cli, options = std::move(options), source = std::move(source)](const std::string& out) {
            std::vector<std::string> args{cli, "--quiet", "--size", "160"};
            args.insert(args.end(), options.begin(), options.end());
            args.push_back(source);
            args.push_back(out);
            return RunChild({.prepare = Silenced}, args);
        };
    };

    const std::string cores = std::to_string(nuthumb::OnlineCores());
    std::vector<Phase> filters;
    filters.push_back({"floor: full-size decode, 1 thread", [&](const std::string&) {
                           return RunChild({}, [&] {
                               for (const std::string& path : files) nuthumb::bench::DecodeFull(path);
                               return std::string();
                           });
                       }});
    for (const std::string& jobs : {std::string("1"), cores})
        for (const char* filter : {"nearest", "area"}) {
            std::string name = "--filter ";
            name += filter;
            name += " --jobs ";
            name += jobs;
            filters.push_back({name, cli_run({"--filter", filter, "--jobs", jobs}, folder)});
        }
    Measure(filters);
    std::printf("%s: %zu JPEG files, best of 3 interleaved rounds\n", folder.c_str(), files.size());
    Print(filters, filters.front(), "floor");
    for (std::size_t i = 1; i + 1 < filters.size(); i += 2)
        std::printf("  area / nearest with %-24s %6.2f\n", filters[i].name.substr(filters[i].name.find("--jobs")).c_str(),
                    filters[i + 1].seconds / filters[i].seconds);

    const nuthumb::bench::ScratchDir upright(fs::temp_directory_path().string());
    const nuthumb::bench::ScratchDir turned(fs::temp_directory_path().string());
    TaggedCopies(files, upright.path(), 1);
    TaggedCopies(files, turned.path(), 6);
    std::vector<Phase> orient;
    for (const char* filter : {"nearest", "area"}) {
        orient.push_back({std::string("--auto-orient, tagged 1, ") + filter,
                          cli_run({"--auto-orient", "--filter", filter, "--jobs", "1"}, upright.path())});
        orient.push_back({std::string("--auto-orient, tagged 6, ") + filter,
                          cli_run({"--auto-orient", "--filter", filter, "--jobs", "1"}, turned.path())});
    }
    Measure(orient);
    std::printf("\nEXIF orientation, --jobs 1:\n");
    for (std::size_t i = 0; i + 1 < orient.size(); i += 2) {
        Print({orient[i], orient[i + 1]}, orient[i], "upright");
    }
    return 0;
}
