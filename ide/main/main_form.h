#pragma once

// The program's main window: a multiple-document window that holds the open
// project's editor and workbench windows, with the menus and the tool bar
// that drive projects and simulation runs. It binds corvel's engine for the
// project's microcontroller and ends every run before anything the engine
// uses goes away.
#include <array>
#include <cstdint>
#include <optional>

#include <QMainWindow>
#include <QString>

#include "ide/main/simulation_control.h"
#include "ide/main/simulation_rates.h"
#include "ide/workbench/device_host.h"
#include "ide/workbench/main_window_link.h"

QT_FORWARD_DECLARE_CLASS(QAction)
QT_FORWARD_DECLARE_CLASS(QActionGroup)
QT_FORWARD_DECLARE_CLASS(QMdiArea)
QT_FORWARD_DECLARE_CLASS(QMenu)
QT_FORWARD_DECLARE_CLASS(QToolBar)
QT_FORWARD_DECLARE_CLASS(QToolButton)

class TMDIChild;
class TRegisterViews;
class TfrmChildComp;
class Tfrmopn;
struct TProjectDevice;
QT_FORWARD_DECLARE_CLASS(QMdiSubWindow)

// True from the main window's creation to its close: while false, the window
// lays nothing out and refreshes no register.
extern bool WindowAlive;
// The outcome of the last Close command: false when the user cancelled it or
// saving failed. Read when the program is closed.
extern bool CloseAllowed;

class TMainForm : public QMainWindow, public TMainWindowLink, public TRunWindows {
    Q_OBJECT

public:
    // The window works on host's libraries and devices and becomes the
    // host's main window for as long as it exists.
    explicit TMainForm(TDeviceHost& host = DeviceHost(), QWidget* parent = nullptr);
    ~TMainForm() override;

    // ---- Project state (at most one project is open)

    // A project is open; every project-dependent command is enabled exactly
    // while this is true.
    bool AsmWindowOpen = false;
    TMDIChild* AsmChild = nullptr;
    TfrmChildComp* CompChild = nullptr;
    // Empty for a project never saved.
    QString ProjectFileName;
    // Modified since it was opened, created or saved.
    bool exchange = false;

    // ---- corvel

    // The handle of the bound microcontroller library; null until the first
    // bind and after shutdown.
    void* MCLibHandle = nullptr;

    // Loads the library of the chosen microcontroller (the host's
    // MCUInfoIndex), binds every entry point into DllMCEntries, selects the
    // Real Time rate and the model MCUModelIndex, and lays the window out.
    // A library that cannot be loaded or lacks an entry point is refused
    // with a message: the previous bind then stays in force. False when
    // refused.
    bool LoadDllMC();

    // Checks the rate's command and hands the rate to corvel when it is bound
    // (a run's pause state is kept). Any code outside the table is Ultimate.
    void SetSimulationRate(std::int32_t code);

    // Run, Pause, Step, Stop, the refresh loop and the speed figure.
    TSimulationControl* SimulationControl = nullptr;

    // ---- What a run needs of the project's windows

    bool AssembleSource() override;
    void ShowAllRegAndCounters() override;
    void StartDeviceRedraw() override;
    void SetSourceReadOnly(bool readOnly) override;
    void SetAutoCheck(bool on) override;
    void ClearSourceBreakpoints() override;
    void ShowSpeed(const QString& text) override;
    void ShowStopwatch(const QString& text) override;

    // ---- The window

    QMdiArea* MdiArea() const { return mdiArea_; }

    // Lays the window out; does nothing while WindowAlive is false.
    void FormResize();
    // The register, counter and stack panels of the left column.
    TRegisterViews* RegisterViews() const { return registerViews_; }
    // Enables the commands for the current state; runs whenever the event
    // loop falls idle.
    void UpdateActions();

    // Re-texts the window in the current language.
    void ApplyLanguage();

    // Options: the Options dialog, modal. Help: the update window (not
    // modal), the bug report form and the About box (both modal), each the
    // one created at program start.
    void ActionOptionsExecute();
    void iHelpChkUpdItemClick();
    void iBugReportItemClick();
    void HelpAbout1Execute();

    // Closing (the system's close box, or File, Exit): asks whether the
    // window may close, then ends the run for good.
    bool FormCloseQuery();
    void FormClose();
    // Closes the open project: ends the run, frees the placed devices and
    // their nodes and forgets the project.
    void FileClose1Execute();

    // ---- Project windows

    // Creates the project's editor and workbench windows and captions them
    // and the main window; fileName is empty for a project without a file.
    void SetUpProjectWindows(const QString& fileName);
    // Places the chosen microcontroller on `workbench` at (30, 50) with one
    // node per pin. False when its library gave no device.
    bool PlaceSelectedMcu(TfrmChildComp* workbench);
    // Brings the editor into its working state once its text is in and
    // opens the project. Does nothing without an editor window.
    void AfterProjectLoad();
    // Frees the project's windows, devices and nodes after the run ended.
    void FreeProjectWindows();

    // The model selection dialog, made on first use and kept.
    Tfrmopn& ModelDialog();
    // What the model dialog's Ok does once corvel is bound: sets up the
    // project for the call. False keeps the dialog open.
    bool ModelChosen(std::uint8_t typeOfCall, const QString& importFile);
    // ---- File, Edit, Window and Help commands

    // The common path of New (mode 1) and Open (mode 2, fileName chosen):
    // closes the open project (asking about unsaved changes), then opens a
    // project file, imports a HEX or assembly file, or starts a new project.
    void OpenOrCreateProject(const QString& fileName, std::uint8_t mode);
    void FileNew1Execute();
    void FileOpen1Execute();
    void FileSave1Execute();
    void FileSaveAs1Execute();
    void FileExportAsmItemClick();
    void FileExportHexItemClick();
    void mnuConfigBitsClick();
    void TileWindows(Qt::Orientation orientation);
    void WindowMinimizeAll1Execute();
    void WindowArrangeAll1Execute();
    void HelpHelpExecute();
    void HelpDonateItemClick();

    // The editor's lines.
    QStringList SourceLines() const;
    // Writes the project to fileName; on success the project has that name
    // and counts as not modified. False (with a message) when not written.
    bool SaveProject(const QString& fileName);
    // Reads a project file and sets the project up from it. False, with a
    // message, and no project open when it could not be read or set up.
    bool LoadProject(const QString& fileName);
    // Whether the last failed LoadProject has already said "Error open file"
    // itself (with the system's reason), so its caller does not say it twice.
    bool LoadErrorShown = false;
    // The result of the last Save or Save As.
    bool SaveDone = false;

    // ---- Menus, commands and tool bar

    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Run1 = nullptr;
    QMenu* Option1 = nullptr;
    QMenu* Window1 = nullptr;
    QMenu* Help1 = nullptr;
    // The rates, as the Rate submenu of the Run menu and as the drop-down
    // menu of the Rate tool button.
    QMenu* mnuRate = nullptr;
    QMenu* popupRate = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolButton* tlbRate = nullptr;

    QAction* FileNew1 = nullptr;
    QAction* FileOpen1 = nullptr;
    QAction* FileClose1 = nullptr;
    QAction* FileSave1 = nullptr;
    QAction* FileSaveAs1 = nullptr;
    QAction* FileExportAsm1 = nullptr;
    QAction* FileExportHex1 = nullptr;
    QAction* FileExit1 = nullptr;
    QAction* EditCut1 = nullptr;
    QAction* EditCopy1 = nullptr;
    QAction* EditPaste1 = nullptr;
    QAction* ActionRate = nullptr;
    QAction* ActionRun = nullptr;
    QAction* ActionPause = nullptr;
    QAction* ActionStop = nullptr;
    QAction* ActionStep = nullptr;
    QAction* ActionClearBP = nullptr;
    QAction* ActionRateSBS = nullptr;
    QAction* ActionRateVS = nullptr;
    QAction* ActionRateSlow = nullptr;
    QAction* ActionRateNormal = nullptr;
    QAction* ActionRateFast = nullptr;
    QAction* ActionRateVF = nullptr;
    QAction* ActionRateRT = nullptr;
    QAction* ActionRateX2 = nullptr;
    QAction* ActionRateUL = nullptr;
    QAction* OptionConfigBits1 = nullptr;
    QAction* ActionOptions = nullptr;
    QAction* WindowCascade1 = nullptr;
    QAction* WindowTileHorizontal1 = nullptr;
    QAction* WindowTileVertical1 = nullptr;
    QAction* WindowMinimizeAll1 = nullptr;
    QAction* WindowArrangeAll1 = nullptr;
    QAction* HelpHelp = nullptr;
    QAction* HelpChkUpdItem = nullptr;
    QAction* BugReportItem = nullptr;
    QAction* HelpDonateItem = nullptr;
    QAction* HelpAbout1 = nullptr;

    // The rate commands in the order of SimulationRates.
    std::array<QAction*, std::size(SimulationRates)> RateActions() const;

    // ---- What the device host asks of the main window

    bool SimulationRunning() const override;
    bool Modified() const override { return exchange; }
    void SetModified(bool modified) override { exchange = modified; }
    void ShowMessage(const QString& text) override;
    QWidget* ParentWindow() const override;
    // Ends a run and returns when corvel's simulation thread has ended.
    void StopSimulationAndWait() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void CreateCommands();
    void CreateMenus();
    void CreateToolBar();
    void ApplyRegisterPanelsLanguage();
    QAction* RateAction(std::int32_t code) const;
    std::optional<std::int32_t> PeripheralPortCount(const TProjectDevice& record);
    void ShowProjectSaved();
    void EditCommand(const char* method);
    QList<QMdiSubWindow*> ProjectWindows() const;
    void UpdateWindowList();

    TDeviceHost& host_;
    QMdiArea* mdiArea_ = nullptr;
    // The left column that keeps the register panels clear of the project
    // windows.
    QWidget* registerColumn_ = nullptr;
    TRegisterViews* registerViews_ = nullptr;
    QActionGroup* rateGroup_ = nullptr;
    Tfrmopn* frmopn_ = nullptr;
    QList<QAction*> windowListActions_;
    QMetaObject::Connection actionUpdates_;
};

// The program's main window while it exists, else null.
extern TMainForm* MainForm;

// Puts the main window into the current language (after a change of
// language, at once).
void ApplyMainFormLanguage();
