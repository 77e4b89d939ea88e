#include "run/failed_file.h"

namespace nuthumb {

void ReportFailedFile(RunHost& host, const std::string& source_path, const std::string& box,
                      std::string_view reason) {
    if (host.ReportLoadErrors()) host.ShowError(box);
    host.AppendError(source_path);
    host.NoteFailedFile(source_path, reason);
}

}  // namespace nuthumb
