#pragma once
// The engine's one way to reach whoever runs it: the main window, the command line
// or a test. Everything the conversion and the folder run read or show goes
// through here, so the engine needs no toolkit.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "run/overwrite_mode.h"

namespace nuthumb {

class RunHost {
public:
    virtual ~RunHost() = default;

    // Set by a cancel button (or Ctrl-C); cleared by the folder run after a
    // listing that found files; polled after every file.
    virtual bool CancelFlag() const = 0;
    virtual void SetCancelFlag(bool value) = 0;

    // True when the run must stop at once, in the middle of a file (Ctrl-C). Polled
    // while a long decode runs, which then ends unrecorded and sets the
    // CancelFlag. A host that takes its cancel request only between files keeps
    // the default.
    virtual bool StopRequested() const { return false; }

    // How many threads a folder run may use to read and decode files ahead of the
    // one it is at. With 1 every step of every file happens on the caller's thread
    // at that file's turn; with more, only work that shows nothing and decides
    // nothing moves, so what the host sees is the same.
    virtual int ParallelJobs() const { return 1; }
    // The bytes that the decodes of a run with ParallelJobs above 1 may hold
    // together (one decode runs whatever its size); 0 for DefaultMemoryBudget().
    virtual std::uint64_t MemoryLimit() const { return 0; }

    // The ErrorList: failed source paths (and, in a batch run, the log).
    virtual void AppendError(const std::string& line) = 0;
    // A line of a batch's own log: `line` for the ErrorList (Japanese in every
    // language, as the file keeps it), `shown` in the user's language for a host
    // that shows the log as it grows.
    virtual void AppendLogLine(const std::string& line, const std::string& /*shown*/) { AppendError(line); }
    // Why the source just put into the ErrorList failed, in a few words, for a
    // host that lists each failure as it happens; the others ignore it.
    virtual void NoteFailedFile(const std::string& /*source_path*/, std::string_view /*reason*/) {}

    virtual void SetProgressMax(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void SetStatusText(const std::string& text) = 0;

    // Lets the caller handle whatever is pending (window messages, signals).
    virtual void ProcessPendingMessages() = 0;
    // Called on the run's thread every few milliseconds while it waits for a
    // worker thread (with ParallelJobs above 1), so a window can handle its
    // events during a long decode. It must not start another run; the run's
    // order of decisions and reports is the same whatever it does.
    virtual void WhileWaitingForWorkers() {}

    // How often a run kept in sync (ThumbJob::update, prune) saves its record of
    // what it made while it runs, so that a run killed later keeps it.
    virtual std::chrono::milliseconds SyncSaveInterval() const { return std::chrono::seconds(5); }

    // A dry run's plan, one target at a time: `path` would be made (`remove`
    // false; `why` says why) or removed. Hosts that show no plan ignore it.
    virtual void NotePlanned(bool /*remove*/, const std::string& /*path*/, std::string_view /*why*/) {}

    // The two live options, read at the moment of each decision.
    virtual OverwriteMode LiveOverwriteMode() const = 0;
    virtual bool ReportLoadErrors() const = 0;

    // Modal message boxes: caption "エラー" / "情報". AskOkCancel returns true only
    // for OK.
    virtual void ShowError(const std::string& text) = 0;
    virtual void ShowInformation(const std::string& text) = 0;
    virtual bool AskOkCancel(const std::string& text) = 0;
};

}  // namespace nuthumb
