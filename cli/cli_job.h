#pragma once
// cli/ is nuthumb-cli as a library (options, the job's precedence of command line
// over settings file over defaults, the terminal host, the runs); main.cpp only
// wires it to the process.
//
// One folder run as the command line will carry it out: the ThumbJob plus the two
// live options.
#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "run/overwrite_mode.h"
#include "run/thumb_job.h"

namespace nuthumb {

struct CliRun {
    ThumbJob job;
    OverwriteMode overwrite_mode = OverwriteMode::kNever;
    bool report_load_errors = false;
    std::string settings_path;  // the settings file the job was read from; empty for none
};

// The settings file used when no folders are given: the window program's
// "nuthumb.ini", in the folder where the programs keep their files (beside this
// executable while that folder can be written, else the user's configuration folder).
std::string DefaultSettingsPath();

// Whether the job takes its missing values from a settings file: when it names
// none of its folders, or runs the stored batch list, or names the file.
bool UsesSettingsFile(const CliOptions& options);

// The run: command-line values first, then (in settings-file mode) the file's,
// then the settings' defaults. Folder texts are returned as given; the caller checks them
// and applies the drive-root rule. Throws IoError when the settings file exists
// but cannot be read, or when a file named by --settings is missing.
CliRun ResolveJob(const CliOptions& options, const std::string& settings_path);

// ResolveJob on the settings file the options name (the default one when they
// name none), with `settings_path` set; nullopt, after a message on stderr, when
// that file cannot be used.
std::optional<CliRun> LoadJob(const CliOptions& options);

}  // namespace nuthumb
