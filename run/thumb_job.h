#pragma once
// One folder run: the job that the window's individual tab, a batch entry and the
// command line each describe, built once from what each of them stores.
#include <string>
#include <vector>

#include "image/conversion.h"
#include "run/source_choice.h"

namespace nuthumb {

// One output of a gallery run: its own folder below the destination, names,
// format and size.
struct Variant {
    std::string name;            // the folder below the destination
    std::string prefix, suffix;
    Conversion conversion;
    bool operator==(const Variant&) const = default;
};

struct ThumbJob {
    std::string src_dir, dst_dir;  // used as given: the drive-root rule is applied before
    SourceChoice src_format = ImageFormat::kJpeg;  // nothing: every readable format
    std::string prefix, suffix;    // target name: prefix + base name + suffix + extension
    Conversion conversion;         // target format, size, basis, resize
    // Also every folder below src_dir (hidden ones and links to folders aside),
    // each thumbnail at the same relative place under dst_dir.
    bool recursive = false;
    // A gallery run: each source becomes one target in each variant's folder
    // (dst_dir/name/, the tree mirrored below it), all from one decode; the
    // values above are then only what the variants were made from. Empty: the
    // one target above.
    std::vector<Variant> variants = {};
    // A run kept in sync with its photos (the destination's record of what runs
    // made, run/library_sync.h): `update` makes only the targets that are
    // missing, stale or changed by someone else; `prune` removes the recorded
    // targets whose photos are gone; `dry_run` only lists what either would do.
    bool update = false;
    bool prune = false;
    bool dry_run = false;
    bool operator==(const ThumbJob&) const = default;
};

// What each source of `job` becomes: the job's conversion, or each variant's.
std::vector<Conversion> ConversionsOf(const ThumbJob& job);

}  // namespace nuthumb
