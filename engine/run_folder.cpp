#include "engine/run_folder.h"

#include <limits>
#include <vector>

#include "engine/list_files.h"
#include "engine/make_thumbnail.h"
#include "engine/run_targets.h"
#include "engine/target_decision.h"
#include "platform/path_util.h"

namespace nuthumb {
namespace {

// A progress bar counts in int; a folder with more files than that shows the
// bar saturated rather than wrapping around.
int ProgressValue(std::size_t count) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<int>::max());
    return static_cast<int>(count < kMax ? count : kMax);
}

}  // namespace

int RunFolder(RunHost& host, const std::string& src_dir, const std::string& src_format,
              const std::string& dst_dir, const std::string& dst_format, const std::string& prefix,
              const std::string& suffix, std::int32_t size, std::int32_t basis,
              std::uint8_t resize_flag) {
    std::vector<std::string> names;
    if (!ListFiles(names, JoinPath(src_dir, "*." + src_format), true, host)) return kRunNoSourceFile;

    // A cancel that arrived during the listing belongs to no file of this run.
    host.SetCancelFlag(false);
    host.SetProgressMax(ProgressValue(names.size()));

    WrittenTargets written;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        const std::string extension = ExtensionOf(name);
        const std::string base = name.substr(0, name.size() - extension.size());
        const std::string source = JoinPath(src_dir, name);
        const std::string target = JoinPath(dst_dir, prefix + base + suffix + extension);

        if (MayConvertInRun(host, source, target, dst_format, written) &&
            MakeThumbnail(host, source, target, size, basis, dst_format, resize_flag))
            written.Add(FinalTargetName(target, dst_format));

        host.SetProgressPosition(ProgressValue(i + 1));
        host.SetStatusText("サムネイル作成中 : " + name);
        host.ProcessPendingMessages();
        if (host.CancelFlag()) break;
    }
    return host.CancelFlag() ? kRunCancelled : kRunFinished;
}

}  // namespace nuthumb
