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
class TFormSetting;
class UpDown;

class TForm1 : public QMainWindow, public RunHost, public BatchControls {
    Q_OBJECT
public:
    // Builds the window and loads its place, its settings and the batch list.
    explicit TForm1(ProgramFiles files);
    // Stores the place, the settings and the batch list.
    ~TForm1() override;

    // The program's other windows, created after this one: the settings dialog
    // holds the live options, the about box is shown from the menu.
    void SetSettingDialog(TFormSetting* dialog);
    void SetAboutBox(QDialog* about_box);

    // Which run, if any, the window is in. The enabling of every control follows
    // from it (RenderRunState), never the other way round.
    enum class RunState { kIdle, kSingleRun, kBatchRun };
    void SetIdleState() override;
    void SetSingleRunState();
    void SetBatchRunState() override;
    RunState CurrentRunState() const { return run_state_; }

    // Shows the batch tab and SpeedButtonBat when `on` is 1, hides both otherwise.
    void ShowBatchFeature(std::uint8_t on);

    const std::vector<std::string>& ErrorList() const { return error_list_; }

    // RunHost: the engine's view of this window. A close during a run cancels it
    // for good: the folder run's clearing after its listing cannot lose it.
    bool CancelFlag() const override { return cancel_flag_ || close_requested_; }
    void SetCancelFlag(bool value) override { cancel_flag_ = value; }
    void AppendError(const std::string& line) override { error_list_.push_back(line); }
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

    // BatchControls: the batch run's view of this window.
    void SelectBatchEntry(std::size_t index) override;
    void ResetProgressDisplay() override { ResetProgress(); }
    void ClearErrorList() override { error_list_.clear(); }
    const std::vector<std::string>& ErrorLines() const override { return error_list_; }
    // The window was closed: no further entry is taken up and nothing is asked.
    bool BatchStopRequested() const override { return close_requested_; }

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

    void FormCreate();
    void FormDestroy();
    void EnterRunState(RunState state);
    // Enables the controls as the run state says; ends with the convert-only rule.
    void RenderRunState();
    // The individual tab's values and the batch toggle as the controls hold them.
    FormSettings FormSettingsOfControls() const;
    // The settings dialog's photo group, taken by every run when it starts.
    PhotoOptions RunPhotoOptions() const;

    // The menu's handlers (Unit1_menu.cpp).
    void Exit1Click();  // ファイル → 終了
    void N5Click();     // 設定 → バッチ機能有効
    void N4Click();     // 設定 → 設定
    void Help2Click();  // ヘルプ → ヘルプ
    void N2Click();     // ヘルプ → バージョン

    // The individual tab's handlers (Unit1_single_run.cpp).
    void CheckBoxNOThumbClick();
    void SpeedButtonSrcDirSelectClick();
    void SpeedButtonDstDirSelectClick();
    void SpeedButtonThumbClick();
    void SpeedButtonCancelClick();

    // The batch tab's handlers (Unit1_batch.cpp): registering, list editing, the
    // batch run.
    void SpeedButtonBatCancelClick();
    void SpeedButtonBatClick();
    void ListBoxBatClick();
    void SpeedButtonAddClick();
    void SpeedButtonUpdateClick();
    void SpeedButtonDeleteClick();
    void SpeedButtonAllClearClick();
    void SpeedButtonUpClick();
    void SpeedButtonDownClick();
    void SpeedButtonBatExeClick();

    // The engine's routines with this window as their host.
    bool CheckFolders(const std::string& src_text, const std::string& dst_text, std::uint8_t message_flag);
    int RunFolder(const ThumbJob& job);

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
    // Makes ListBoxBat show batch_list_, its entries and its selection, without
    // the list box reporting the change as the user's.
    void ShowBatchList();
    void ShowBatchSelection();

    ProgramFiles files_;
    QPointer<TFormSetting> form_setting_;
    // What the settings dialog held when it was destroyed at exit, stored last.
    std::optional<PhotoOptions> photo_at_exit_;
    QPointer<QDialog> about_box_;
    RunState run_state_ = RunState::kIdle;
    bool cancel_flag_ = false;
    std::vector<std::string> error_list_;
    bool close_requested_ = false;
    // The one store of the batch entries; ListBoxBat shows it.
    BatchList batch_list_;

    // The menu.
    QMenu* File1;
    QAction* N1;
    QAction* Exit1;
    QMenu* N3;
    QAction* N5;
    QAction* N4;
    QMenu* Help1;
    QAction* Help2;
    QAction* N2;

    // On the window.
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QProgressBar* ProgressBar1;
    QFrame* Panel1;
    QLabel* LabelMes;

    // Tab "個別".
    QLabel* Label1;
    QLineEdit* EditSrcDir;
    QToolButton* SpeedButtonSrcDirSelect;
    RadioGroup* RadioGroupReadFileExt;
    QFrame* Bevel2;
    QLabel* Label2;
    QLineEdit* EditDstDir;
    QToolButton* SpeedButtonDstDirSelect;
    QLabel* Label3;
    QLineEdit* EditHead;
    QLabel* Label4;
    QLineEdit* EditEnd;
    QFrame* Bevel4;
    RadioGroup* RadioGroupSaveFileExt;
    QFrame* Bevel3;
    QLabel* Label6;
    QLineEdit* EditSize;
    UpDown* UpDownSize;
    QLabel* Label7;
    RadioGroup* RadioGroupOption;
    QCheckBox* CheckBoxNOThumb;
    QFrame* Bevel1;
    QToolButton* SpeedButtonThumb;
    QToolButton* SpeedButtonCancel;
    QToolButton* SpeedButtonBat;

    // Tab "バッチ".
    QLabel* Label5;
    QListWidget* ListBoxBat;
    QLineEdit* EditBat;
    QToolButton* SpeedButtonAdd;
    QToolButton* SpeedButtonUpdate;
    QToolButton* SpeedButtonDelete;
    QToolButton* SpeedButtonAllClear;
    QToolButton* SpeedButtonUp;
    QToolButton* SpeedButtonDown;
    QToolButton* SpeedButtonBatExe;
    QToolButton* SpeedButtonBatCancel;
};

}  // namespace nuthumb
