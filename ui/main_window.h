#pragma once
// The main window: the individual tab with its single run, the batch tab, the
// progress bar and the status line. While a run goes on it is the engine's host
// (and during a batch run the batch's controls): the run handles the window's
// pending events after every file, so the window stays live, and the enabling
// states keep a second run from starting.
#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_list.h"
#include "batch/batch_run.h"
#include "run/progress_clock.h"
#include "run/run_counts.h"
#include "run/run_files.h"
#include "run/run_host.h"
#include "run/thumb_job.h"
#include "settings/form_settings.h"
#include "platform/online_cores.h"
#include "ui/program_files.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QTabWidget;
class QToolButton;

namespace nuthumb {

class RadioGroup;
class SettingsDialog;
class UpDown;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and loads its place, its settings and the batch list.
    explicit MainWindow(ProgramFiles files);
    // Stores the place, the settings and the batch list.
    ~MainWindow() override;

    // The program's other windows, created after this one: the settings dialog
    // holds the live options, the about box is shown from the menu.
    void SetSettingsDialog(SettingsDialog* dialog);
    void SetAboutBox(QDialog* about_box);

    // Which run, if any, the window is in. The enabling of every control follows
    // from it (RenderRunState), never the other way round.
    enum class RunState { kIdle, kSingleRun, kBatchRun };
    void SetIdleState();
    void SetSingleRunState();
    void SetBatchRunState();

    // Shows the batch tab and register_batch_button_ when `on` is 1, hides both otherwise.
    void ShowBatchFeature(std::uint8_t on);

    const std::vector<std::string>& ErrorList() const { return error_list_; }
    // What the engine sees of this window while it runs.
    RunHost& Host() { return engine_host_; }

protected:
    // Closing during a run cancels it and ends the program once the run has
    // unwound (see EndRunForClose).
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BuildMenu();
    void BuildIndividualTab();
    void BuildBatchTab();
    void BuildStatusArea();
    void SetTabOrder();
    void GiveRunKeys(QToolButton* start, QToolButton* cancel);
    void ConnectHandlers();

    void LoadStoredState();
    void StoreState();
    void EnterRunState(RunState state);
    // Enables the controls as the run state says; ends with the convert-only rule.
    void RenderRunState();
    // The individual tab's values and the batch toggle as the controls hold them.
    FormSettings FormSettingsOfControls() const;
    // The settings dialog's photo group, taken by every run when it starts.
    PhotoOptions RunPhotoOptions() const;

    // The menu's handlers (main_window_menu.cpp).
    void OnQuitTriggered();        // ファイル → 終了
    void OnBatchFeatureToggled();  // 設定 → バッチ機能有効
    void OnSettingsTriggered();    // 設定 → 設定
    void OnHelpTriggered();        // ヘルプ → ヘルプ
    void OnAboutTriggered();       // ヘルプ → バージョン

    // The individual tab's handlers (main_window_single_run.cpp).
    void ApplyConvertOnlyRule();
    void OnSourceFolderClicked();
    void OnTargetFolderClicked();
    void OnStartClicked();
    void OnStopClicked();

    // The batch tab's handlers (main_window_batch.cpp): registering, list editing, the
    // batch run.
    void OnBatchStopClicked();
    void OnRegisterBatchClicked();
    void OnBatchListPicked();
    void OnAddEntryClicked();
    void OnUpdateEntryClicked();
    void OnDeleteEntryClicked();
    void OnClearListClicked();
    void OnMoveUpClicked();
    void OnMoveDownClicked();
    void OnBatchStartClicked();

    // The run state from a start button's click to the end of its handler,
    // entered before anything can hand the window its events (a box, the listing
    // behind the question about originals): a double click, a key repeat or a
    // click during the listing then finds every start button disabled. Idle again
    // at the end, or closed when a close came meanwhile. False, changing nothing,
    // while a run is on.
    class RunScope {
    public:
        RunScope(MainWindow& window, RunState state) : window_(window), entered_(!window.RunActive()) {
            if (entered_) window_.EnterRunState(state);
        }
        ~RunScope() {
            if (entered_ && !window_.EndRunForClose()) window_.SetIdleState();
        }
        RunScope(const RunScope&) = delete;
        RunScope& operator=(const RunScope&) = delete;
        explicit operator bool() const { return entered_; }

    private:
        MainWindow& window_;
        bool entered_;
    };

    // The engine's routines with this window as their host.
    bool CheckFolders(const std::string& src_text, const std::string& dst_text, std::uint8_t message_flag);
    int RunFolder(const ThumbJob& job, const RunFiles& files, RunCounts* counts = nullptr);

    // Asks once before a batch run in which some entries would replace their
    // sources with their own thumbnails; true when the batch may start.
    bool MayReplaceOriginalsInBatch();
    // The same before a single run over `listing`; true when it may start.
    bool MayReplaceOriginals(const RunFiles& listing);

    // Pieces shared by the single and the batch run.
    void ResetProgress();
    // Asks `question` + the file's path and writes the ErrorList there on OK; a
    // failed write is reported and loses nothing else.
    void OfferErrorListExport(const std::string& question);
    std::string ErrorListPath() const { return files_.error_list.Path(); }
    // True when the window was closed during the run that has just returned: the
    // window is then back in its idle state and closed, and the caller must
    // skip its result box and export question.
    bool EndRunForClose();
    bool RunActive() const { return run_state_ != RunState::kIdle; }
    // Opens the folder picker beside the window for one of the folder edits.
    void ChooseFolderFor(QLineEdit* edit);
    // Makes batch_list_box_ show batch_list_, its entries and its selection, without
    // the list box reporting the change as the user's.
    void ShowBatchList();
    void ShowBatchSelection();

    // The engine's view of this window (main_window_host.cpp). A close during a
    // run cancels it for good: the folder run's clearing after its listing cannot
    // lose it.
    class EngineHost final : public RunHost {
    public:
        explicit EngineHost(MainWindow& window) : window_(window) {}
        bool CancelFlag() const override { return window_.cancel_flag_ || window_.close_requested_; }
        void SetCancelFlag(bool value) override { window_.cancel_flag_ = value; }
        // 中止 (or a close) ends the decode the run waits for at once, as Ctrl-C
        // does on the command line, killing a decoder helper in the middle of it:
        // that file is then neither made nor counted.
        bool StopRequested() const override { return CancelFlag(); }
        void AppendError(const std::string& line) override { window_.error_list_.push_back(line); }
        void SetProgressMax(int maximum) override;
        void SetProgressPosition(int position) override;
        void SetStatusText(const std::string& text) override;
        void ProcessPendingMessages() override;
        // The window stays live while a worker decodes a large file; the run state
        // keeps the start buttons off meanwhile, and a close only asks the run to end.
        void WhileWaitingForWorkers() override { ProcessPendingMessages(); }
        OverwriteMode LiveOverwriteMode() const override;
        bool ReportLoadErrors() const override;
        // Files are read and decoded ahead on every core; the window sees no difference.
        int ParallelJobs() const override { return DefaultParallelJobs(); }
        void ShowError(const std::string& text) override;
        void ShowInformation(const std::string& text) override;
        bool AskOkCancel(const std::string& text) override;

    private:
        MainWindow& window_;
        // The run's pace for the status line, from the maximum the run sets.
        ProgressClock clock_;
    };

    // The batch run's view of this window.
    class BatchView final : public BatchControls {
    public:
        explicit BatchView(MainWindow& window) : window_(window) {}
        void SelectBatchEntry(std::size_t index) override;
        void ResetProgressDisplay() override { window_.ResetProgress(); }
        void SetBatchRunState() override { window_.SetBatchRunState(); }
        void SetIdleState() override { window_.SetIdleState(); }
        void ClearErrorList() override { window_.error_list_.clear(); }
        const std::vector<std::string>& ErrorLines() const override { return window_.error_list_; }
        // The window was closed: no further entry is taken up and nothing is asked.
        bool BatchStopRequested() const override { return window_.close_requested_; }

    private:
        MainWindow& window_;
    };

    ProgramFiles files_;
    QPointer<SettingsDialog> settings_dialog_;
    // What the settings dialog held when it was destroyed at exit, stored after
    // every older key.
    std::optional<PhotoOptions> photo_at_exit_;
    QPointer<QDialog> about_box_;
    RunState run_state_ = RunState::kIdle;
    bool cancel_flag_ = false;
    std::vector<std::string> error_list_;
    bool close_requested_ = false;
    EngineHost engine_host_{*this};
    BatchView batch_view_{*this};
    // The one store of the batch entries; batch_list_box_ shows it.
    BatchList batch_list_;

    // The menu.
    QMenu* file_menu_;
    QAction* quit_action_;
    QMenu* settings_menu_;
    QAction* batch_feature_action_;
    QAction* settings_action_;
    QMenu* help_menu_;
    QAction* help_action_;
    QAction* about_action_;

    // On the window.
    QTabWidget* pages_;
    QWidget* single_tab_;
    QWidget* batch_tab_;
    QProgressBar* progress_bar_;
    QFrame* status_panel_;
    QLabel* status_label_;

    // Tab "個別".
    QLineEdit* source_folder_edit_;
    QToolButton* source_folder_button_;
    QCheckBox* recursive_check_;
    QCheckBox* update_check_;
    RadioGroup* source_format_group_;
    QLineEdit* target_folder_edit_;
    QToolButton* target_folder_button_;
    QLineEdit* prefix_edit_;
    QLineEdit* suffix_edit_;
    RadioGroup* target_format_group_;
    QLabel* size_label_;
    QLineEdit* size_edit_;
    UpDown* size_spin_;
    QLabel* size_unit_label_;
    RadioGroup* basis_group_;
    QCheckBox* convert_only_check_;
    QToolButton* start_button_;
    QToolButton* stop_button_;
    QToolButton* register_batch_button_;

    // Tab "バッチ".
    QListWidget* batch_list_box_;
    QLineEdit* batch_entry_edit_;
    QToolButton* add_entry_button_;
    QToolButton* update_entry_button_;
    QToolButton* delete_entry_button_;
    QToolButton* clear_list_button_;
    QToolButton* move_up_button_;
    QToolButton* move_down_button_;
    QToolButton* batch_start_button_;
    QToolButton* batch_stop_button_;
};

}  // namespace nuthumb
