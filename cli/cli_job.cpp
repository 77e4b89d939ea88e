#include "cli/cli_job.h"

#include <iostream>

#include "platform/file_io.h"
#include "platform/path_util.h"
#include "platform/program_folder.h"
#include "settings/dialog_settings.h"
#include "settings/form_settings.h"
#include "settings/settings_readable.h"

namespace nuthumb {
namespace {

// The window's radio rule: item 0 is the bitmap, anything else (none selected too) JPEG.
std::string FormatOfItem(std::int32_t item) { return item == 0 ? "bmp" : "jpg"; }

}  // namespace

std::string DefaultSettingsPath() {
    return JoinPath(ProgramFolder(), "nuthumb.ini");
}

bool UsesSettingsFile(const CliOptions& options) {
    return options.batch || options.settings_path.has_value() ||
           (!options.src_dir.has_value() && !options.batch_file.has_value());
}

CliJob ResolveJob(const CliOptions& options, const std::string& settings_path) {
    CliJob job;
    if (UsesSettingsFile(options)) {
        // A file named on the command line must be there; the one beside the program
        // may be missing, which means the defaults.
        CheckSettingsReadable(settings_path, options.settings_path.has_value());
        const FormSettings form = LoadFormSettings(settings_path);
        const DialogSettings dialog = LoadDialogSettings(settings_path);
        job.src_dir = form.src_dir;
        job.dst_dir = form.dst_dir;
        job.src_format = FormatOfItem(form.read_file_mode);
        job.dst_format = FormatOfItem(form.save_file_mode);
        job.prefix = form.file_head;
        job.suffix = form.file_end;
        job.size = form.size;
        job.basis = form.option;
        job.resize_flag = form.no_thumb ? 0 : 1;
        job.overwrite_mode = dialog.save_mode;
        job.report_load_errors = dialog.error_opt != 0;
    }
    if (options.src_dir) job.src_dir = *options.src_dir;
    if (options.dst_dir) job.dst_dir = *options.dst_dir;
    if (options.src_format) job.src_format = *options.src_format;
    if (options.dst_format) job.dst_format = *options.dst_format;
    if (options.prefix) job.prefix = *options.prefix;
    if (options.suffix) job.suffix = *options.suffix;
    if (options.size) job.size = *options.size;
    if (options.basis) job.basis = *options.basis;
    if (options.convert_only) job.resize_flag = 0;
    if (options.overwrite_mode) job.overwrite_mode = *options.overwrite_mode;
    if (options.report_load_errors) job.report_load_errors = true;
    job.settings_path = settings_path;
    return job;
}

std::optional<CliJob> LoadJob(const CliOptions& options) {
    try {
        std::string settings_path;
        if (UsesSettingsFile(options))
            settings_path = options.settings_path ? *options.settings_path : DefaultSettingsPath();
        return ResolveJob(options, settings_path);
    } catch (const IoError& error) {
        std::cerr << "nuthumb-cli: " << error.what() << "\n";
        return std::nullopt;
    }
}

}  // namespace nuthumb
