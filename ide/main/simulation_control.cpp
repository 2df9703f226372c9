#include "ide/main/simulation_control.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QAction>

#include "ide/main/simulator_binding.h"
#include "ide/texts/texts.h"

namespace {

constexpr int RefreshIntervalMs = 10;
constexpr int SpeedIntervalMs = 1000;
constexpr std::int32_t SecondsText = 2020;

// A stepped instruction that has not shown in the instruction counter after
// this many passes will not (the chip sleeps, or the run is paused): the
// views show the state as it is.
constexpr int StepRefreshPatienceTicks = 10;

struct TRateFlags {
    bool stepByStep = false;
    bool delay = false;
};

TRateFlags CurrentRate()
{
    std::uint8_t realTime = 0, stepByStep = 0, delay = 0;
    std::int32_t delayMs = 0;
    double factor = 0;
    DllMCEntries.Get_RT_parametrs(&realTime, &stepByStep, &delay, &delayMs, &factor);
    return {stepByStep != 0, delay != 0};
}

bool EngineRunning()
{
    return MCULibLoaded && DllMCEntries.Get_rtRunning() != 0;
}

void Enable(QAction* action, bool enabled)
{
    if (action)
        action->setEnabled(enabled);
}

} // namespace

TSimulationControl::TSimulationControl(TRunWindows& windows, TRunCommands commands, QObject* parent)
    : QObject(parent)
    , windows_(windows)
    , commands_(commands)
{
    tmrRefresh.setInterval(RefreshIntervalMs);
    TmrRTS.setInterval(SpeedIntervalMs);
    connect(&tmrRefresh, &QTimer::timeout, this, &TSimulationControl::tmrRefreshTimer);
    connect(&TmrRTS, &QTimer::timeout, this, &TSimulationControl::TmrRTSTimer);
}

// ---- The commands

TRunState TSimulationControl::State(bool projectOpen) const
{
    if (!EngineRunning())
        return projectOpen ? TRunState::Idle : TRunState::NoProject;
    if (DllMCEntries.Get_rtPause() != 0)
        return TRunState::Paused;
    return CurrentRate().stepByStep ? TRunState::RunningStepByStep : TRunState::RunningTimed;
}

void TSimulationControl::UpdateRunCommands(bool projectOpen)
{
    projectOpen_ = projectOpen;
    const TRunState state = State(projectOpen);
    const bool running = state != TRunState::NoProject && state != TRunState::Idle;
    Enable(commands_.run, state == TRunState::Idle || state == TRunState::Paused);
    Enable(commands_.pause, state == TRunState::RunningTimed);
    // Paused, Step stays as the rate had it.
    Enable(commands_.step, state == TRunState::RunningStepByStep
                               || (state == TRunState::Paused && CurrentRate().stepByStep));
    Enable(commands_.stop, running);
}

void TSimulationControl::tlbRunClick()
{
    // Disabled first, so a second Run while this one starts finds it off.
    Enable(commands_.run, false);
    if (!MCULibLoaded)
        return;
    if (!TmrRTS.isActive())
        TmrRTS.start();

    if (EngineRunning()) {
        // A paused run resumes; a running one is left alone.
        DllMCEntries.Set_rtPause(0);
        UpdateRunCommands(true);
        return;
    }
    // A pause left over from a run that ended must not hold the new one.
    DllMCEntries.Set_rtPause(0);

    windows_.SetAutoCheck(false);
    const bool assembled = windows_.AssembleSource();
    windows_.SetAutoCheck(true);
    if (!assembled) {
        UpdateRunCommands(projectOpen_);
        return;
    }

    // Resets the model and starts a new simulation thread (the previous
    // run's thread is joined first).
    DllMCEntries.Calculate_CuclPerCycMK(StopSimulation);
    // The counters started again from zero: the first speed figure of this
    // run compares against them, not against the previous run's.
    PrevMC = 0;
    if (CurrentRate().stepByStep) {
        // A run starts with a step request pending: a finished refresh lets
        // the first instruction run.
        DllMCEntries.Set_rtRefreshComplete(1);
        RequestStepRefresh();
    }
    windows_.SetSourceReadOnly(true);
    windows_.StartDeviceRedraw();
    tmrRefresh.start();
    UpdateRunCommands(true);
}

void TSimulationControl::tlbPauseClick()
{
    if (!MCULibLoaded)
        return;
    DllMCEntries.Set_rtPause(1);
    Enable(commands_.pause, false);
    Enable(commands_.run, true);
}

void TSimulationControl::tlbStepClick()
{
    if (!MCULibLoaded)
        return;
    if (CurrentRate().stepByStep) {
        DllMCEntries.Set_rtexStep(1);
        DllMCEntries.Set_rtRefreshComplete(1);
    }
    RequestStepRefresh();
    if (!tmrRefresh.isActive())
        RefreshAfterStep();
}

void TSimulationControl::tlbStopClick()
{
    StopSimulation();
    // Nothing of this run may hold the next one.
    if (MCULibLoaded)
        DllMCEntries.Set_rtPause(0);
}

void TSimulationControl::RequestStepRefresh()
{
    stepRefreshPending_ = true;
    instructionsBeforeStep_ = MCULibLoaded ? DllMCEntries.Get_IC() : 0;
    ticksSinceStep_ = 0;
}

void TSimulationControl::RefreshAfterStep()
{
    stepRefreshPending_ = false;
    Refresh();
}

// ---- The refresh loop

void TSimulationControl::tmrRefreshTimer()
{
    if (!MCULibLoaded) {
        tmrRefresh.stop();
        return;
    }
    if (DllMCEntries.Get_rtRunning() == 0) {
        FinishRun();
        return;
    }
    windows_.SetSourceReadOnly(true);
    UpdateRunCommands(true);

    if (CurrentRate().stepByStep) {
        // The Step command asks for the refresh in this mode; it comes once
        // the engine has executed the instruction.
        if (stepRefreshPending_
            && (DllMCEntries.Get_IC() != instructionsBeforeStep_ || ++ticksSinceStep_ >= StepRefreshPatienceTicks))
            RefreshAfterStep();
        return;
    }
    stepRefreshPending_ = false;
    if (DllMCEntries.Get_rtRefreshComplete() == 0)
        Refresh();
    // At Real Time, X2 and Ultimate the engine does not wait for the display:
    // the flag is cleared so that the next pass shows the state again. At
    // the fixed delays the engine clears it itself before each instruction.
    const TRateFlags rate = CurrentRate();
    if (!rate.stepByStep && !rate.delay)
        DllMCEntries.Set_rtRefreshComplete(0);
}

void TSimulationControl::Refresh()
{
    windows_.ShowAllRegAndCounters();
}

// Once, when the loop finds the run ended.
void TSimulationControl::FinishRun()
{
    tmrRefresh.stop();
    stepRefreshPending_ = false;
    Refresh();
    Enable(commands_.step, false);
    Enable(commands_.pause, false);
    Enable(commands_.stop, false);
    Enable(commands_.run, projectOpen_);
    windows_.SetSourceReadOnly(false);
}

void TSimulationControl::ForgetRun()
{
    tmrRefresh.stop();
    // The speed figure belongs to the run; the next Run starts it again.
    TmrRTS.stop();
    stepRefreshPending_ = false;
}

// ---- Speed, stopwatch and breakpoints

void TSimulationControl::TmrRTSTimer()
{
    if (!MCULibLoaded)
        return;
    const std::int64_t cycles = DllMCEntries.Get_MC();
    windows_.ShowSpeed(SpeedFigureText(cycles - PrevMC, DllMCEntries.Get_rtCrystalFreq()));
    PrevMC = DllMCEntries.Get_MC();
}

void TSimulationControl::btnClearClick()
{
    if (!MCULibLoaded)
        return;
    DllMCEntries.Set_UserTimer(SimulatedSeconds(DllMCEntries.Get_MC(), DllMCEntries.Get_rtCrystalFreq()));
    const long double shown =
        SimulatedSeconds(DllMCEntries.Get_MC(), DllMCEntries.Get_rtCrystalFreq()) - DllMCEntries.Get_UserTimer();
    windows_.ShowStopwatch(FixedSecondsText(std::max<long double>(shown, 0)) + QLatin1Char(' ')
                           + GetText(SecondsText));
}

void TSimulationControl::ActionClearBPExecute()
{
    if (MCULibLoaded) {
        // The breakpoint table has one entry more than memory has words.
        const std::int32_t last = DllMCEntries.Get_ROM_Size();
        for (std::int32_t address = 0; address <= last; ++address)
            DllMCEntries.Set_ROM_BP(address, 0);
    }
    // Cleared in the editor too, or the next assembly would hand them back.
    windows_.ClearSourceBreakpoints();
}

// ---- Number texts

QString SpeedFigureText(std::int64_t cycles, std::int32_t crystalFrequency)
{
    if (crystalFrequency <= 0 || cycles < 0)
        cycles = 0;
    const double percent = crystalFrequency > 0 ? double(cycles) / double(crystalFrequency) * 400.0 : 0.0;
    return QString::number(percent, 'g', 15) + QStringLiteral(" %");
}

QString FixedSecondsText(long double seconds)
{
    if (!std::isfinite(seconds))
        seconds = 0;
    // Twelve significant digits, then seven decimals whatever they hold. The
    // rounded value is printed as a long double, whose precision keeps the
    // digits past the twelfth zero up to 10^12.
    char rounded[64];
    std::snprintf(rounded, sizeof rounded, "%.11Le", seconds);
    const long double value = std::strtold(rounded, nullptr);
    if (std::fabs(value) >= 1e12L)
        return QString::fromLatin1(rounded).replace(QLatin1Char(','), QLatin1Char('.'));
    char text[64];
    std::snprintf(text, sizeof text, "%.7Lf", value);
    // The C library writes the locale's decimal separator; ours is ".".
    QString result = QString::fromLatin1(text).replace(QLatin1Char(','), QLatin1Char('.'));
    if (result == QLatin1String("-0.0000000"))
        result.remove(0, 1);
    return result;
}

long double SimulatedSeconds(std::int64_t machineCycles, std::int32_t crystalFrequency)
{
    const std::int32_t cyclesPerSecond = crystalFrequency / 4;
    if (cyclesPerSecond <= 0)
        return 0;
    return static_cast<long double>(machineCycles) / cyclesPerSecond;
}
