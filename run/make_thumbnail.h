#pragma once
// Conversion of one source file into one target file.
#include <optional>
#include <string>

#include "image/prepare_thumbnail.h"
#include "platform/staged_file.h"
#include "run/run_host.h"

namespace nuthumb {

class FilePublisher;

// Decodes `source_path` (as SourceFormatOf says), converts it as `conversion`
// says and writes it under FinalTargetName(`target_path`, its target format). An
// existing
// target is replaced only as the host's OverwriteMode allows. Load failures and
// conversions without a sound result go to the host's ErrorList (and a message box
// when it reports load errors); so does a target that cannot be written. Never
// throws for a bad file or a full disk. True when the target was written.
bool MakeThumbnail(RunHost& host, const std::string& source_path, const std::string& target_path,
                   const Conversion& conversion);

// A target that cannot be written keeps its old content (the write goes through a
// temporary file); the source is recorded so that the user can find it again.
void ReportWriteFailure(RunHost& host, const std::string& source_path, const std::string& final_path,
                        const std::string& reason);

// The decisions and reports of a conversion whose file was prepared already: a
// failed load is shown and recorded; otherwise the save-time overwrite decision,
// then the write. Without a `publisher` the target is written and synced at once;
// with one it is staged and handed over, and a failure there arrives later through
// the publisher. The file the target becomes when it was written (or handed over).
std::optional<FileNode> FinishThumbnail(RunHost& host, const std::string& source_path, const std::string& target_path,
                     ImageFormat target_format, PreparedThumbnail prepared, FilePublisher* publisher);

}  // namespace nuthumb
