#pragma once
// A RunHost made of plain members: tests set the options and answers, then read
// what the engine did.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "run/run_host.h"

namespace nuthumb {

struct RecordedMessage {
    enum class Kind { kError, kInformation, kQuestion };
    Kind kind;
    std::string text;
    bool operator==(const RecordedMessage&) const = default;
};

class RecordingHost : public RunHost {
public:
    bool cancel = false;
    std::vector<std::string> errors;  // the ErrorList
    std::vector<std::string> shown;   // a batch log's lines as a screen shows them
    int progress_max = 0;
    int progress_position = 0;
    std::string status;
    OverwriteMode overwrite_mode = OverwriteMode::kNever;
    bool report_load_errors = false;
    std::vector<RecordedMessage> messages;
    std::deque<bool> answers;  // AskOkCancel pops one per question; none left means Cancel
    int pending_calls = 0;
    std::function<void()> on_pending;  // runs inside ProcessPendingMessages
    int stop_at_poll = 0;              // StopRequested says yes from this poll on; 0: never
    mutable int stop_polls = 0;

    bool CancelFlag() const override { return cancel; }
    void SetCancelFlag(bool value) override { cancel = value; }
    bool StopRequested() const override { return ++stop_polls >= stop_at_poll && stop_at_poll > 0; }
    void AppendError(const std::string& line) override { errors.push_back(line); }
    void AppendLogLine(const std::string& line, const std::string& on_screen) override {
        AppendError(line);
        shown.push_back(on_screen);
    }
    void SetProgressMax(int maximum) override { progress_max = maximum; }
    void SetProgressPosition(int position) override { progress_position = position; }
    void SetStatusText(const std::string& text) override { status = text; }
    void ProcessPendingMessages() override {
        ++pending_calls;
        if (on_pending) on_pending();
    }
    OverwriteMode LiveOverwriteMode() const override { return overwrite_mode; }
    bool ReportLoadErrors() const override { return report_load_errors; }
    void ShowError(const std::string& text) override {
        messages.push_back({RecordedMessage::Kind::kError, text});
    }
    void ShowInformation(const std::string& text) override {
        messages.push_back({RecordedMessage::Kind::kInformation, text});
    }
    bool AskOkCancel(const std::string& text) override {
        messages.push_back({RecordedMessage::Kind::kQuestion, text});
        if (answers.empty()) return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace nuthumb
