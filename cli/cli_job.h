#pragma once
// One folder run as the command line will carry it out: the ThumbJob plus the two
// live options.
#include <cstdint>
#include <optional>
#include <string>

#include "cli/cli_options.h"

namespace nuthumb {

struct CliJob {
    std::string src_dir, src_format = "jpg", dst_dir, dst_format = "jpg";
    std::string prefix, suffix;
    std::int32_t size = 50;
    std::int32_t basis = 0;
    std::uint8_t resize_flag = 1;
    int overwrite_mode = 1;
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

// The job: command-line values first, then (in settings-file mode) the file's,
// then the defaults. Folder texts are returned as given; the caller checks them
// and applies the drive-root rule. Throws IoError when the settings file exists
// but cannot be read, or when a file named by --settings is missing.
CliJob ResolveJob(const CliOptions& options, const std::string& settings_path);

// ResolveJob on the settings file the options name (the default one when they
// name none), with `settings_path` set; nullopt, after a message on stderr, when
// that file cannot be used.
std::optional<CliJob> LoadJob(const CliOptions& options);

}  // namespace nuthumb
