// What decoding HEIC photos in a helper process (nuthumb-decoder, as the
// programs do) costs against decoding them in this process (as the tests do):
// over a folder of phone photos (default bench-data/heic, filled by
// bench/make_heic_photos.sh), on one thread, each file read, decoded and
// scaled to a 160 px high thumbnail and encoded as a JPEG (not written), and
// each file decoded whole (--convert-only: the whole picture comes back over
// the helper's socket) and encoded as a BMP. Each phase runs in a child process
// of its own; best of three interleaved rounds, in time and in processor time
// (the child's and its helper's, user and system: what a busy machine's other
// work cannot inflate).
// Usage: bench_contained_decode [FOLDER]
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "codecs/codec_table.h"
#include "image/contained_decode.h"
#include "image/load_thumbnail.h"
#include "pixels/orientation.h"
#include "tests/support/child_process.h"

namespace {

using Files = std::vector<std::string>;

struct Phase {
    const char* name;
    bool contained;
    bool whole;
};

// As LoadThumbnail does it, with helpers of the phase's own, so that the child
// ends and reaps them and their processor time is counted with it.
void Convert(const Files& files, const Phase& phase) {
    std::optional<nuthumb::DecoderHelpers> helpers;
    if (phase.contained) helpers.emplace(nuthumb::DecoderProgram());
    const nuthumb::Conversion conversion{phase.whole ? nuthumb::ImageFormat::kBmp : nuthumb::ImageFormat::kJpeg, 160,
                                         nuthumb::Basis::kHeight, !phase.whole};
    const nuthumb::Codec& target = nuthumb::CodecOf(conversion.target_format);
    for (const std::string& path : files) {
        const nuthumb::SourceFile source(path, nuthumb::kMaxSourceBytes);
        nuthumb::Decoded decoded =
            helpers ? helpers->Decode(source, nuthumb::ImageFormat::kHeic, conversion, {})
                    : nuthumb::LoadThumbnail(static_cast<const nuthumb::ByteSource&>(source), nuthumb::ImageFormat::kHeic,
                                             conversion, {});
        if (decoded.turn != 1) decoded.image = nuthumb::OrientImage(decoded.image, decoded.turn);
        target.encode(std::move(decoded.image), {});
    }
}

void PrintPair(const char* what, const Phase& in_process, double a, const Phase& in_helper, double b,
               std::size_t files) {
    std::printf("  %-9s %-28s %7.3f s  %-28s %7.3f s  %+6.2f %%  %+7.2f ms a file\n", what, in_process.name, a,
                in_helper.name, b, 100 * (b - a) / a, 1000 * (b - a) / static_cast<double>(files));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "bench-data/heic";
    const Files files = nuthumb::bench::FilesIn(folder, ".heic");
    if (files.empty()) {
        std::printf("%s: no .heic files (see bench/make_heic_photos.sh)\n", folder.c_str());
        return 1;
    }
    const Phase phases[] = {
        {"thumbnails, in process", false, false},
        {"thumbnails, in a helper", true, false},
        {"whole pictures, in process", false, true},
        {"whole pictures, in a helper", true, true},
    };
    double best[std::size(phases)], best_cpu[std::size(phases)];
    std::fill(std::begin(best), std::end(best), 1e30);
    std::fill(std::begin(best_cpu), std::end(best_cpu), 1e30);
    for (int round = 0; round < 3; ++round)
        for (std::size_t p = 0; p < std::size(phases); ++p) {
            const double cpu_before = nuthumb::bench::ChildrenCpuSeconds();
            const nuthumb::test::ChildEnd end = nuthumb::test::RunChild({}, [&] {
                Convert(files, phases[p]);
                return std::string();
            });
            if (end.exit_code != 0 || !end.report.empty()) {
                std::printf("%s failed: %s\n", phases[p].name, end.report.c_str());
                return 1;
            }
            best[p] = std::min(best[p], end.seconds);
            best_cpu[p] = std::min(best_cpu[p], nuthumb::bench::ChildrenCpuSeconds() - cpu_before);
        }
    std::printf("%zu HEIC photos from %s, one thread, best of 3 interleaved rounds\n", files.size(), folder.c_str());
    for (std::size_t p = 0; p < std::size(phases); p += 2) {
        PrintPair("time", phases[p], best[p], phases[p + 1], best[p + 1], files.size());
        PrintPair("processor", phases[p], best_cpu[p], phases[p + 1], best_cpu[p + 1], files.size());
    }
    return 0;
}
