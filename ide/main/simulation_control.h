#pragma once

// Running the program in corvel: Run, Pause, Step and Stop, the refresh loop
// that shows the machine state while the simulation thread runs, the speed
// figure, the stopwatch's Clear and Clear all breakpoints.
//
// The two sides share no lock: they meet through corvel's one-byte flags
// (running, pause, step request, refresh complete), which this side sets and
// polls through DllMCEntries. The refresh loop is a 10 ms timer on the main
// thread whose every tick is one pass; nothing here pumps events or sleeps.
#include <cstdint>

#include <QObject>
#include <QString>
#include <QTimer>

QT_FORWARD_DECLARE_CLASS(QAction)

// What a run needs of the project's windows. The main window forwards these
// to the editor, the register views and the workbench; tests record them.
class TRunWindows {
public:
    virtual ~TRunWindows() = default;

    // Assembles the whole source into corvel's program memory. False when it
    // failed: the assembler has shown its message and marked the fault.
    virtual bool AssembleSource() = 0;
    // Shows every register, counter and the stack; ends by setting corvel's
    // refresh-complete flag.
    virtual void ShowAllRegAndCounters() = 0;
    // Starts animating the devices of the workbench for the run.
    virtual void StartDeviceRedraw() = 0;
    // The source may not be edited while a run lasts.
    virtual void SetSourceReadOnly(bool readOnly) = 0;
    // The editor's own line checking, switched off while the source is
    // assembled.
    virtual void SetAutoCheck(bool on) = 0;
    // Takes every line breakpoint out of the editor.
    virtual void ClearSourceBreakpoints() = 0;
    virtual void ShowSpeed(const QString& text) = 0;
    virtual void ShowStopwatch(const QString& text) = 0;
};

// The four run commands the control enables and disables.
struct TRunCommands {
    QAction* run = nullptr;
    QAction* pause = nullptr;
    QAction* step = nullptr;
    QAction* stop = nullptr;
};

// What the commands show, from corvel's flags and whether a project is open.
enum class TRunState {
    NoProject,
    Idle,
    RunningTimed,
    RunningStepByStep,
    Paused,
};

class TSimulationControl : public QObject {
    Q_OBJECT

public:
    TSimulationControl(TRunWindows& windows, TRunCommands commands, QObject* parent = nullptr);

    void tlbRunClick();
    void tlbPauseClick();
    void tlbStepClick();
    void tlbStopClick();
    void btnClearClick();
    void ActionClearBPExecute();

    // The state the commands show; a project is open or not as the main
    // window says.
    TRunState State(bool projectOpen) const;
    // Enables the four commands for State(projectOpen).
    void UpdateRunCommands(bool projectOpen);

    // Ends the refresh loop without its last refresh, and the speed figure's
    // timer: the project's windows are about to go. The caller has stopped
    // and joined the run.
    void ForgetRun();

    // The loop is on while a run it started lasts, up to its last refresh.
    bool RefreshLoopActive() const { return tmrRefresh.isActive(); }

    // The machine-cycle count at the last speed figure.
    std::int64_t PrevMC = 0;

    // The refresh loop (10 ms) and the speed figure (1000 ms).
    QTimer tmrRefresh;
    QTimer TmrRTS;

private:
    void tmrRefreshTimer();
    void TmrRTSTimer();
    // The refresh after a stepped instruction has run, once corvel's
    // instruction counter shows it (or it evidently will not: the run ended,
    // the chip sleeps or is paused).
    void RequestStepRefresh();
    void RefreshAfterStep();
    void FinishRun();
    void Refresh();

    TRunWindows& windows_;
    TRunCommands commands_;
    bool projectOpen_ = false;
    bool stepRefreshPending_ = false;
    std::int64_t instructionsBeforeStep_ = 0;
    int ticksSinceStep_ = 0;
};

// The speed figure: the percentage of real time the last interval ran,
// in general notation with up to 15 significant digits, then " %".
QString SpeedFigureText(std::int64_t cycles, std::int32_t crystalFrequency);

// Seconds in fixed notation with 7 decimals after rounding to 12 significant
// digits, as the counters and the stopwatch show them ("4.0000000").
QString FixedSecondsText(long double seconds);

// The simulated time of `machineCycles` at `crystalFrequency` Hz; four clock
// periods make one machine cycle. Zero when the frequency is below 4 Hz.
long double SimulatedSeconds(std::int64_t machineCycles, std::int32_t crystalFrequency);
