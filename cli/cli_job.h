#pragma once
// One folder run as the command line will carry it out: the ThumbJob plus the two
// live options.
#include <cstdint>
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
};

// The settings file used when no folders are given: the window program's, beside
// this executable.
std::string DefaultSettingsPath();

// Whether the job takes its missing values from a settings file.
bool UsesSettingsFile(const CliOptions& options);

// The job: command-line values first, then (in settings-file mode) the file's,
// then the defaults. Folder texts are returned as given; the caller checks them
// and applies the drive-root rule. Throws IoError when the settings file exists
// but cannot be read, or when a file named by --settings is missing.
CliJob ResolveJob(const CliOptions& options, const std::string& settings_path);

}  // namespace nuthumb
