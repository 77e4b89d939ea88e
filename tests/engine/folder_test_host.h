#pragma once
// Temporary RunHost for the folder-run tests until the shared recording host lands.
#include <functional>
#include <string>
#include <vector>

#include "engine/run_host.h"

namespace nuthumb {

class FolderTestHost : public RunHost {
public:
    bool cancel_flag = false;
    std::vector<std::string> error_list;
    int progress_max = 0;
    int progress_position = 0;
    std::string status;
    int overwrite_mode = 1;
    bool report_load_errors = false;
    std::vector<std::string> errors_shown, information_shown, questions;
    std::vector<bool> answers;  // consumed in order; missing answers mean Cancel
    std::function<void()> on_pending_messages;
    int pending_calls = 0;

    bool CancelFlag() const override { return cancel_flag; }
    void SetCancelFlag(bool value) override { cancel_flag = value; }
    void AppendError(const std::string& line) override { error_list.push_back(line); }
    void SetProgressMax(int maximum) override { progress_max = maximum; }
    void SetProgressPosition(int position) override { progress_position = position; }
    void SetStatusText(const std::string& text) override { status = text; }
    void ProcessPendingMessages() override {
        ++pending_calls;
        if (on_pending_messages) on_pending_messages();
    }
    int OverwriteMode() const override { return overwrite_mode; }
    bool ReportLoadErrors() const override { return report_load_errors; }
    void ShowError(const std::string& text) override { errors_shown.push_back(text); }
    void ShowInformation(const std::string& text) override { information_shown.push_back(text); }
    bool AskOkCancel(const std::string& text) override {
        questions.push_back(text);
        const std::size_t i = questions.size() - 1;
        return i < answers.size() && answers[i];
    }
};

}  // namespace nuthumb
