#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/exit_status.h"
#include "cli/option_names.h"
#include "platform/version.h"
#include "settings/form_settings.h"
#include "settings/option_values.h"
#include "settings/settings_table.h"

namespace nuthumb {
namespace {


const char* const kFooter =
    "With no folders on the command line the job comes from the window's settings\n"
    "file (~/.config/nuthumb/nuthumb.ini for the installed program, nuthumb.ini beside\n"
    "a build tree's or portable copy's program), or the --settings file; values given\n"
    "on the command line win. The settings file is only read, never written; one\n"
    "that exists but cannot be read is refused.\n"
    "\n"
    "When a source file would be replaced by its own thumbnail (DEST_DIR is\n"
    "SOURCE_DIR, or names the same files), the run refuses to start unless\n"
    "--overwrite always (or never) is given. Each failed file is named on stderr\n"
    "with its reason.\n"
    "\n"
    "Exit status: 0 finished with no failed file, 1 finished with failed files (or\n"
    "the --error-list file or stdout could not be written), 2 usage error, folder\n"
    "check failed, or settings file or source folder unreadable, 3 no source file\n"
    "found, 130 cancelled (Ctrl-C).\n"
    "\n"
    "--batch runs the batch list stored in the settings file, --batch-file FILE the\n"
    "batch entries of FILE (one per line, UTF-8 or CP932); each log line goes to\n"
    "stdout as it is written. Exit status of a batch: 0 every entry finished with no\n"
    "failed file, 1 an entry had a data error, failed its folder check, found no\n"
    "source file or had failed files (or the --error-list file could not be written),\n"
    "2 usage error, 130 cancelled.";

// A choice check whose list the help already shows in the type name.
template <typename T>
CLI::Validator OneOf(const OptionNames<T>& names) {
    std::vector<std::string> choices;
    for (const auto& entry : names) choices.push_back(entry.first);
    return CLI::IsMember(std::move(choices)).description("");
}

// "(default: X)": the defaults are the settings file's, so that a job without a
// settings file is the window's first job.
std::string Default(const std::string& value) { return " (default: " + value + ")"; }

// Why the batch options cannot be used as given, or nullptr: a batch entry
// carries its own job, so no option of a single job goes with it.
const char* BatchConflict(const CLI::Option& batch, const CLI::Option& batch_file,
                          std::initializer_list<const CLI::Option*> job_options) {
    if (batch.count() && batch_file.count()) return "give --batch or --batch-file, not both";
    if (!batch.count() && !batch_file.count()) return nullptr;
    for (const CLI::Option* option : job_options)
        if (option->count()) return "a batch takes each job from its entries: leave out the folders, --from, --to, "
                                    "--prefix, --suffix, --size, --basis and --convert-only";
    return nullptr;
}

}  // namespace

std::variant<CliOptions, CliExit> ParseCommandLine(int argc, const char* const* argv) {
    CliOptions options;
    std::string src_dir, dst_dir, from, to, prefix, suffix, basis, filter, overwrite, error_list, settings,
        batch_file;
    std::int32_t size = 0, quality = 0;
    bool auto_orient = false;
    const ThumbJob defaults = JobOfForm(FormSettings{});
    const OverwriteMode default_overwrite = OverwriteModeOfItem(keys::kRadioGroupSaveMode.fallback);

    CLI::App app{"Makes thumbnails of every BMP or JPEG image of SOURCE_DIR in DEST_DIR.",
                 "nuthumb-cli"};
    app.footer(kFooter);
    app.set_version_flag("--version", "nuthumb-cli " + std::string(kVersion));
    auto* src_opt = app.add_option("SOURCE_DIR", src_dir, "folder with the source images")->type_name("");
    auto* dst_opt = app.add_option("DEST_DIR", dst_dir, "folder for the thumbnails")->type_name("");
    auto* from_opt =
        app.add_option("--from", from, "source format" + Default(NameOfValue(kFormatNames, defaults.src_format)))
            ->check(OneOf(kFormatNames))
            ->type_name(ChoiceText(kFormatNames));
    auto* to_opt = app.add_option("--to", to,
                                  "target format" +
                                      Default(NameOfValue(kFormatNames, defaults.conversion.target_format)))
                       ->check(OneOf(kFormatNames))
                       ->type_name(ChoiceText(kFormatNames));
    auto* prefix_opt = app.add_option("--prefix", prefix, "file-name prefix (default: empty)");
    auto* suffix_opt = app.add_option("--suffix", suffix, "file-name suffix (default: empty)");
    auto* size_opt = app.add_option("--size", size,
                                    "length of the fixed side, from " + std::to_string(keys::kSizeMin) + " to " +
                                        std::to_string(keys::kSizeMax) +
                                        Default(std::to_string(defaults.conversion.size)))
                         ->check(CLI::Range(keys::kSizeMin, keys::kSizeMax).description(""))
                         ->type_name("N");
    auto* basis_opt = app.add_option("--basis", basis,
                                     "side that gets the size" +
                                         Default(NameOfValue(kBasisNames, defaults.conversion.basis)))
                          ->check(OneOf(kBasisNames))
                          ->type_name(ChoiceText(kBasisNames));
    auto* convert_only_opt = app.add_flag("--convert-only", options.convert_only, "no scaling");
    auto* auto_orient_opt = app.add_flag(
        "--auto-orient,!--no-auto-orient", auto_orient,
        "turn each JPEG upright as its EXIF Orientation says, before it is scaled" +
            Default(defaults.conversion.photo.auto_orient ? "on" : "off"));
    auto* quality_opt = app.add_option("--quality", quality,
                                       "JPEG quality of the thumbnails, from " + std::to_string(keys::kQualityMin) +
                                           " to " + std::to_string(keys::kQualityMax) +
                                           Default(std::to_string(defaults.conversion.photo.quality)))
                            ->check(CLI::Range(keys::kQualityMin, keys::kQualityMax).description(""))
                            ->type_name("N");
    auto* filter_opt = app.add_option("--filter", filter,
                                      "how a thumbnail pixel is made: one source pixel (nearest), or the "
                                      "average of the pixels it covers (area)" +
                                          Default(NameOfValue(kFilterNames, defaults.conversion.photo.filter)))
                           ->check(OneOf(kFilterNames))
                           ->type_name(ChoiceText(kFilterNames));
    auto* overwrite_opt =
        app.add_option("--overwrite", overwrite,
                       "existing targets" + Default(NameOfValue(kOverwriteNames, default_overwrite)))
            ->check(OneOf(kOverwriteNames))
            ->type_name(ChoiceText(kOverwriteNames));
    app.add_flag("--report-load-errors", options.report_load_errors,
                 "report each file that fails to load as soon as it fails");
    auto* error_list_opt = app.add_option(
        "--error-list", error_list,
        "write the list of failed files there, in the error-list file's format; '-' (standard "
        "output), a pipe or a terminal get UTF-8 lines")->type_name("FILE");
    auto* settings_opt = app.add_option(
        "--settings", settings,
        "take every value not given on the command line from this settings file")->type_name("FILE");
    app.add_flag("--quiet", options.quiet, "no progress display and no line per failed file");
    app.add_option("--jobs", options.jobs,
                   "threads that read and decode files ahead of the run (default: one per core; 1 "
                   "does everything on one thread)")
        ->check(CLI::Range(1, 64).description(""))
        ->type_name("N");
    auto* batch_opt = app.add_flag("--batch", options.batch, "run the batch list stored in the settings file");
    auto* batch_file_opt = app.add_option("--batch-file", batch_file,
                                          "run the batch entries of FILE, one per line")->type_name("FILE");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return CliExit{status == 0 ? kExitFinished : kExitUsage};
    }
    if (const char* problem = BatchConflict(*batch_opt, *batch_file_opt,
                                            {src_opt, dst_opt, from_opt, to_opt, prefix_opt, suffix_opt,
                                             size_opt, basis_opt, convert_only_opt})) {
        std::cerr << "nuthumb-cli: " << problem << "\n"
                  << "Run with --help for more information.\n";
        return CliExit{kExitUsage};
    }
    if (src_opt->count() != dst_opt->count()) {
        std::cerr << "nuthumb-cli: give both SOURCE_DIR and DEST_DIR, or neither\n"
                  << "Run with --help for more information.\n";
        return CliExit{kExitUsage};
    }

    if (src_opt->count()) {
        options.src_dir = src_dir;
        options.dst_dir = dst_dir;
    }
    if (from_opt->count()) options.src_format = ValueOfName(kFormatNames, from);
    if (to_opt->count()) options.dst_format = ValueOfName(kFormatNames, to);
    if (prefix_opt->count()) options.prefix = prefix;
    if (suffix_opt->count()) options.suffix = suffix;
    if (size_opt->count()) options.size = size;
    if (basis_opt->count()) options.basis = ValueOfName(kBasisNames, basis);
    if (auto_orient_opt->count()) options.auto_orient = auto_orient;
    if (quality_opt->count()) options.quality = quality;
    if (filter_opt->count()) options.filter = ValueOfName(kFilterNames, filter);
    if (overwrite_opt->count()) options.overwrite_mode = ValueOfName(kOverwriteNames, overwrite);
    if (error_list_opt->count()) options.error_list_path = error_list;
    if (settings_opt->count()) options.settings_path = settings;
    if (batch_file_opt->count()) options.batch_file = batch_file;
    return options;
}

}  // namespace nuthumb
