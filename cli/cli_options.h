#pragma once
// What the command line says. Every value is optional so that settings-file mode
// can tell which ones the user gave.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "image/conversion.h"
#include "run/overwrite_mode.h"
#include "run/source_choice.h"

namespace nuthumb {

struct CliOptions {
    std::optional<std::string> src_dir, dst_dir;
    std::optional<SourceChoice> src_format;
    std::optional<ImageFormat> dst_format;
    std::optional<std::string> prefix, suffix;
    std::optional<std::int32_t> size;
    std::optional<Basis> basis;
    // --fit or --fill: a box instead of the size and basis.
    BoxFit box = BoxFit::kNone;
    std::int32_t box_width = 0, box_height = 0;
    bool enlarge = false;                        // --enlarge: pictures smaller than the box too
    std::vector<std::string> variants;           // --variant NAME:SPEC, in their order
    bool convert_only = false;
    bool recursive = false;                      // --recursive: the folders below SOURCE_DIR too
    std::optional<bool> auto_orient;             // --auto-orient, or false for --no-auto-orient
    std::optional<bool> keep_dates;              // --keep-dates, or false for --no-keep-dates
    std::optional<bool> to_srgb;                 // --srgb, or false for --no-srgb
    std::optional<std::int32_t> quality;
    std::optional<ScaleFilter> filter;
    std::optional<PreviewUse> previews;
    std::optional<OverwriteMode> overwrite_mode;
    bool report_load_errors = false;
    std::optional<std::string> error_list_path;
    std::optional<std::string> settings_path;
    bool quiet = false;
    int jobs = 0;                                // threads of a folder run; 0: the default
    std::uint64_t memory_limit_mib = 0;          // what concurrent decodes may hold; 0: the default
    bool update = false;                         // --update: only what is missing or stale
    bool prune = false;                          // --prune: remove what gone photos left
    bool dry_run = false;                        // --dry-run: list what either would do
    bool batch = false;                          // run the settings file's batch list
    std::optional<std::string> batch_file;       // run the entries of this file
};

// The user's word, given on the command line, on sources that a run would
// replace with their own thumbnails: --overwrite always replaces them, never
// keeps them. Without it such a run is asked about on a terminal, else refused.
inline bool OverwriteChosen(const CliOptions& options) {
    return options.overwrite_mode == OverwriteMode::kAlways || options.overwrite_mode == OverwriteMode::kNever;
}

// The program should stop at once with this status (help shown, or a usage error
// already explained on stderr).
struct CliExit {
    int status;
};

std::variant<CliOptions, CliExit> ParseCommandLine(int argc, const char* const* argv);

// --photos: every value a photo library wants that the command line did not give
// itself (an option given wins wherever it stands): every readable format, turned
// upright, the area filter, colours into sRGB, the size on the longer side, the
// photos' dates kept. The job is then exactly the one of those options spelled out.
void ApplyPhotoPreset(CliOptions& options);

}  // namespace nuthumb
