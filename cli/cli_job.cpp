#include "cli/cli_job.h"

#include <iostream>

#include "batch/variant_spec.h"
#include "cli/terminal_text.h"
#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/program_folder.h"
#include "settings/dialog_settings.h"
#include "settings/form_settings.h"
#include "settings/option_values.h"
#include "settings/photo_settings.h"

namespace nuthumb {

std::string DefaultSettingsPath() {
    return JoinPath(ProgramFolder(), "nuthumb.ini");
}

bool UsesSettingsFile(const CliOptions& options) {
    return options.batch || options.settings_path.has_value() ||
           (!options.src_dir.has_value() && !options.batch_file.has_value());
}

CliRun ResolveJob(const CliOptions& options, const std::string& settings_path) {
    FormSettings form;
    DialogSettings dialog;
    PhotoOptions photo;
    if (UsesSettingsFile(options)) {
        // A file named on the command line must be there; the one beside the program
        // may be missing, which means the defaults.
        const SettingsFile file(settings_path);
        file.RequireReadable(options.settings_path.has_value());
        form = LoadFormSettings(file);
        dialog = LoadDialogSettings(file);
        photo = LoadPhotoSettings(file);
    }
    CliRun run{JobOfForm(form), OverwriteModeOfItem(dialog.save_mode), dialog.error_opt != 0, settings_path};
    ThumbJob& job = run.job;
    job.conversion.photo = photo;
    if (options.src_dir) job.src_dir = *options.src_dir;
    if (options.dst_dir) job.dst_dir = *options.dst_dir;
    if (options.src_format) job.src_format = *options.src_format;
    if (options.dst_format) job.conversion.target_format = *options.dst_format;
    if (options.prefix) job.prefix = *options.prefix;
    if (options.suffix) job.suffix = *options.suffix;
    if (options.size) job.conversion.size = *options.size;
    if (options.basis) job.conversion.basis = *options.basis;
    if (options.box != BoxFit::kNone) {
        job.conversion.box = options.box;
        job.conversion.box_width = options.box_width;
        job.conversion.box_height = options.box_height;
    }
    if (options.enlarge) job.conversion.enlarge = true;
    if (options.convert_only) job.conversion.resize = false;
    if (options.recursive) job.recursive = true;
    if (options.auto_orient) job.conversion.photo.auto_orient = *options.auto_orient;
    if (options.keep_dates) job.conversion.photo.keep_dates = *options.keep_dates;
    if (options.to_srgb) job.conversion.photo.to_srgb = *options.to_srgb;
    if (options.quality) job.conversion.photo.quality = *options.quality;
    if (options.filter) job.conversion.photo.filter = *options.filter;
    if (options.previews) job.conversion.photo.previews = *options.previews;
    if (options.overwrite_mode) run.overwrite_mode = *options.overwrite_mode;
    if (options.report_load_errors) run.report_load_errors = true;
    if (options.update) job.update = true;
    job.prune = options.prune;
    job.dry_run = options.dry_run;
    // Checked when parsed against the same rules: a failure here is a fault, not dropped variants.
    job.variants = std::get<std::vector<Variant>>(ParseVariants(options.variants, job));
    return run;
}

std::optional<CliRun> LoadJob(const CliOptions& options) {
    try {
        std::string settings_path;
        if (UsesSettingsFile(options))
            settings_path = options.settings_path ? *options.settings_path : DefaultSettingsPath();
        return ResolveJob(options, settings_path);
    } catch (const IoError& error) {
        std::cerr << "nuthumb-cli: " << ForStderr(error.what()) << "\n";
        return std::nullopt;
    }
}

}  // namespace nuthumb
