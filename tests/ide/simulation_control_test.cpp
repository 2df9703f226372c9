// Run, Pause, Step and Stop, the refresh loop, the speed figure, the stopwatch
// and Clear all breakpoints: first against a scripted engine whose flags the
// test sets, then end to end against the real corvel.so.
#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

#include <QAction>
#include <QMenu>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include "ide/main/main_form.h"
#include "ide/main/simulation_control.h"
#include "ide/main/simulator_binding.h"
#include "ide/workbench/shared_library.h"
#include "ide_fixture.h"

namespace simulation_control_test {
namespace {

using twtest::WaitUntil;

namespace fs = std::filesystem;

void RunEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// What the control asked of the project's windows.
class RecordingWindows : public TRunWindows {
public:
    bool AssembleSource() override
    {
        ++assemblies;
        if (onAssemble)
            onAssemble();
        return assembleResult;
    }
    void ShowAllRegAndCounters() override
    {
        refreshedAt.push_back(DllMCEntries.Get_IC());
        DllMCEntries.Set_rtRefreshComplete(1);
    }
    void StartDeviceRedraw() override { ++redraws; }
    void SetSourceReadOnly(bool value) override { readOnly = value; }
    void SetAutoCheck(bool on) override { autoCheck.push_back(on); }
    void ClearSourceBreakpoints() override { ++breakpointClears; }
    void ShowSpeed(const QString& text) override { speed = text; }
    void ShowStopwatch(const QString& text) override { stopwatch = text; }

    bool assembleResult = true;
    std::function<void()> onAssemble;
    int assemblies = 0;
    int redraws = 0;
    int breakpointClears = 0;
    bool readOnly = false;
    std::vector<bool> autoCheck;
    // The instruction count each refresh saw.
    std::vector<std::int64_t> refreshedAt;
    QString speed;
    QString stopwatch;
};

struct RunActions {
    RunActions()
    {
        for (QAction* action : {&run, &pause, &step, &stop})
            action->setEnabled(false);
    }
    TRunCommands commands() { return {&run, &pause, &step, &stop}; }
    // Run, Pause, Step, Stop: 1 enabled, 0 disabled.
    std::string pattern() const
    {
        std::string text;
        for (const QAction* action : {&run, &pause, &step, &stop})
            text += action->isEnabled() ? '1' : '0';
        return text;
    }
    QAction run, pause, step, stop;
};

// ---- A scripted engine: its flags are plain values the test sets.

struct ScriptedEngine {
    std::uint8_t running = 0, pause = 0, refreshComplete = 0, exStep = 0;
    std::uint8_t realTime = 1, stepByStep = 0, delay = 0;
    std::int32_t delayMs = 1000;
    double factor = 1.0;
    std::int64_t mc = 0, ic = 0;
    std::int32_t crystal = 4'000'000;
    long double userTimer = 0;
    std::int32_t romSize = 512;
    // The engine hits a breakpoint while the rate changes.
    bool breakpointDuringRateChange = false;
    int starts = 0;
    std::vector<std::int32_t> clearedBreakpoints;
};

ScriptedEngine* Scripted = nullptr;

class ScriptedEngineBinding {
public:
    ScriptedEngineBinding()
        : saved_(DllMCEntries)
        , savedLoaded_(MCULibLoaded)
    {
        Scripted = &engine;
        TDllMCEntries& e = DllMCEntries;
        e = TDllMCEntries();
        e.Get_rtRunning = [] { return Scripted->running; };
        e.Set_rtRunning = [](std::uint8_t v) { Scripted->running = v; };
        e.Get_rtPause = [] { return Scripted->pause; };
        e.Set_rtPause = [](std::uint8_t v) { Scripted->pause = v; };
        e.Get_rtRefreshComplete = [] { return Scripted->refreshComplete; };
        e.Set_rtRefreshComplete = [](std::uint8_t v) { Scripted->refreshComplete = v; };
        e.Set_rtexStep = [](std::uint8_t v) { Scripted->exStep = v; };
        e.Get_RT_parametrs = [](std::uint8_t* rt, std::uint8_t* sbs, std::uint8_t* d, std::int32_t* ms, double* f) {
            *rt = Scripted->realTime, *sbs = Scripted->stepByStep, *d = Scripted->delay;
            *ms = Scripted->delayMs, *f = Scripted->factor;
        };
        e.Set_RT_parametrs = [](std::uint8_t rt, std::uint8_t sbs, std::uint8_t d, std::int32_t ms, double f) {
            Scripted->realTime = rt, Scripted->stepByStep = sbs, Scripted->delay = d;
            Scripted->delayMs = ms, Scripted->factor = f, Scripted->exStep = 0;
            if (Scripted->breakpointDuringRateChange)
                Scripted->pause = 1;
        };
        e.Stop_and_wait = [] { Scripted->running = 0; };
        e.Get_MC = [] { return Scripted->mc; };
        e.Get_IC = [] { return Scripted->ic; };
        e.Get_rtCrystalFreq = [] { return Scripted->crystal; };
        e.Get_UserTimer = [] { return Scripted->userTimer; };
        e.Set_UserTimer = [](long double v) { Scripted->userTimer = v; };
        e.Get_ROM_Size = [] { return Scripted->romSize; };
        e.Set_ROM_BP = [](std::int32_t a, std::uint8_t) { Scripted->clearedBreakpoints.push_back(a); };
        e.Calculate_CuclPerCycMK = [](TStopRoutine) {
            ++Scripted->starts;
            Scripted->running = 1;
            Scripted->mc = 0;
            Scripted->ic = 0;
            Scripted->exStep = 1;
        };
        MCULibLoaded = true;
    }
    ~ScriptedEngineBinding()
    {
        DllMCEntries = saved_;
        MCULibLoaded = savedLoaded_;
        Scripted = nullptr;
    }

    ScriptedEngine engine;

private:
    TDllMCEntries saved_;
    bool savedLoaded_;
};

class ScriptedControlTest : public testing::Test {
protected:
    twtest::ApplicationReady application;
    ScriptedEngineBinding binding;
    ScriptedEngine& engine = binding.engine;
    RecordingWindows windows;
    RunActions actions;
    TSimulationControl control{windows, actions.commands()};
};

TEST_F(ScriptedControlTest, CommandsFollowTheRunState)
{
    struct Case {
        bool projectOpen;
        std::uint8_t running, pause, stepByStep;
        const char* pattern; // Run, Pause, Step, Stop
    };
    const Case cases[] = {
        {false, 0, 0, 0, "0000"}, // no project
        {true, 0, 0, 0, "1000"},  // idle
        {true, 0, 1, 1, "1000"},  // idle, whatever a pause flag says
        {true, 1, 0, 0, "0101"},  // running at a timed rate
        {true, 1, 0, 1, "0011"},  // running step by step
        {true, 1, 1, 0, "1001"},  // paused
        {true, 1, 1, 1, "1011"},  // paused step by step: Step as before
    };
    for (const Case& c : cases) {
        engine.running = c.running, engine.pause = c.pause, engine.stepByStep = c.stepByStep;
        engine.realTime = !c.stepByStep;
        control.UpdateRunCommands(c.projectOpen);
        EXPECT_EQ(actions.pattern(), c.pattern)
            << "project " << c.projectOpen << " running " << int(c.running) << " pause " << int(c.pause)
            << " step by step " << int(c.stepByStep);
    }
}

TEST_F(ScriptedControlTest, RunAssemblesStartsTheEngineAndTheLoopRefreshesUntilTheRunEnds)
{
    QObject::connect(&actions.run, &QAction::triggered, &control, &TSimulationControl::tlbRunClick);
    control.UpdateRunCommands(true);
    actions.run.trigger();

    EXPECT_EQ(windows.assemblies, 1);
    EXPECT_EQ(windows.autoCheck, (std::vector<bool>{false, true}));
    EXPECT_EQ(engine.starts, 1);
    EXPECT_EQ(windows.redraws, 1);
    EXPECT_TRUE(control.RefreshLoopActive());
    EXPECT_EQ(actions.pattern(), "0101");

    // At Real Time each pass shows the state and asks for the next.
    ASSERT_TRUE(WaitUntil([&] { return windows.refreshedAt.size() >= 3; }));
    EXPECT_TRUE(windows.readOnly);
    EXPECT_EQ(engine.refreshComplete, 0);

    engine.running = 0; // the engine ran past the end of memory
    const std::size_t before = windows.refreshedAt.size();
    ASSERT_TRUE(WaitUntil([&] { return !control.RefreshLoopActive(); }));
    EXPECT_EQ(windows.refreshedAt.size(), before + 1) << "one last refresh after the loop";
    EXPECT_FALSE(windows.readOnly);
    EXPECT_EQ(actions.pattern(), "1000");
}

TEST_F(ScriptedControlTest, AFailedAssemblyStartsNothingAndChangesNoCommand)
{
    control.UpdateRunCommands(true);
    windows.assembleResult = false;
    control.tlbRunClick();
    EXPECT_EQ(windows.assemblies, 1);
    EXPECT_EQ(engine.starts, 0);
    EXPECT_EQ(windows.redraws, 0);
    EXPECT_FALSE(control.RefreshLoopActive());
    EXPECT_EQ(actions.pattern(), "1000");
}

TEST_F(ScriptedControlTest, ASecondRunWhileOneStartsAssemblesNothing)
{
    QObject::connect(&actions.run, &QAction::triggered, &control, &TSimulationControl::tlbRunClick);
    control.UpdateRunCommands(true);
    windows.onAssemble = [&] { actions.run.trigger(); };
    actions.run.trigger();
    EXPECT_EQ(windows.assemblies, 1);
    EXPECT_EQ(engine.starts, 1);
}

TEST_F(ScriptedControlTest, PauseAndRunResumeWithoutAssembling)
{
    control.tlbRunClick();
    control.tlbPauseClick();
    EXPECT_EQ(engine.pause, 1);
    EXPECT_EQ(actions.pattern(), "1001");
    control.tlbRunClick();
    EXPECT_EQ(engine.pause, 0);
    EXPECT_EQ(windows.assemblies, 1);
    EXPECT_EQ(engine.starts, 1);
    EXPECT_EQ(actions.pattern(), "0101");
}

TEST_F(ScriptedControlTest, StopLeavesNoPauseThatWouldSwallowTheNextRun)
{
    control.tlbRunClick();
    engine.pause = 1; // a breakpoint
    control.tlbStopClick();
    EXPECT_EQ(engine.running, 0);
    EXPECT_EQ(engine.pause, 0);
    ASSERT_TRUE(WaitUntil([&] { return !control.RefreshLoopActive(); }));

    control.tlbRunClick();
    EXPECT_EQ(windows.assemblies, 2);
    EXPECT_EQ(engine.starts, 2);
}

TEST_F(ScriptedControlTest, AStepIsShownOnlyOnceTheEngineHasExecutedIt)
{
    engine.realTime = 0, engine.stepByStep = 1;
    control.tlbRunClick();
    EXPECT_EQ(engine.refreshComplete, 1) << "the first instruction may run";
    RunEventsFor(40);
    EXPECT_TRUE(windows.refreshedAt.empty()) << "nothing executed yet, nothing shown";
    engine.ic = 1, engine.refreshComplete = 0, engine.exStep = 0;
    ASSERT_TRUE(WaitUntil([&] { return windows.refreshedAt.size() == 1; }));
    EXPECT_EQ(windows.refreshedAt.back(), 1);

    control.tlbStepClick();
    EXPECT_EQ(engine.exStep, 1);
    EXPECT_EQ(engine.refreshComplete, 1);
    RunEventsFor(40);
    EXPECT_EQ(windows.refreshedAt.size(), 1u);
    engine.ic = 2;
    ASSERT_TRUE(WaitUntil([&] { return windows.refreshedAt.size() == 2; }));
    EXPECT_EQ(windows.refreshedAt.back(), 2);
}

TEST_F(ScriptedControlTest, TheFirstSpeedFigureOfANewRunIsNeverNegative)
{
    control.PrevMC = 9'000'000; // the previous run's count
    control.tlbRunClick();
    engine.mc = 250'000;
    ASSERT_TRUE(WaitUntil([&] { return !windows.speed.isEmpty(); }, 3000));
    EXPECT_EQ(windows.speed, "25 %");
}

TEST_F(ScriptedControlTest, ClearAllBreakpointsClearsCorvelsTableAndTheEditors)
{
    engine.romSize = 4;
    control.ActionClearBPExecute();
    EXPECT_EQ(engine.clearedBreakpoints, (std::vector<std::int32_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(windows.breakpointClears, 1);
}

TEST_F(ScriptedControlTest, ClearStartsTheStopwatchFromZero)
{
    engine.mc = 4'000'000;
    control.btnClearClick();
    EXPECT_DOUBLE_EQ(double(engine.userTimer), 4.0);
    EXPECT_EQ(windows.stopwatch, "0.0000000 Sec");
}

TEST_F(ScriptedControlTest, EveryRateReachesCorvelWithOneCheckedItemAndThePauseKept)
{
    TDeviceHost host;
    TMainForm form(host);
    MCULibLoaded = true; // the window starts unbound
    const std::int32_t codes[] = {0, 1, 2, 3, 4, 5, 100, 200, 255, 7};
    for (std::int32_t code : codes) {
        const TSimulationRate& rate = SimulationRateOf(code);
        engine.pause = std::uint8_t(code % 2);
        form.SetSimulationRate(code);
        EXPECT_EQ(engine.realTime, rate.realTime) << code;
        EXPECT_EQ(engine.stepByStep, rate.stepByStep) << code;
        EXPECT_EQ(engine.delay, rate.delay) << code;
        EXPECT_EQ(engine.delayMs, rate.delayMs) << code;
        EXPECT_EQ(engine.factor, rate.factor) << code;
        EXPECT_EQ(engine.pause, code % 2) << code;
        int checked = 0;
        for (QAction* action : form.popupRate->actions())
            checked += action->isChecked();
        EXPECT_EQ(checked, 1) << code;
        const auto& actions = form.RateActions();
        EXPECT_TRUE(actions[std::size_t(&rate - SimulationRates)]->isChecked()) << code;
    }
    EXPECT_EQ(engine.factor, 1.0) << "code 7 is Ultimate";
    EXPECT_EQ(engine.realTime, 0);

    // A breakpoint that pauses the run while the rate changes keeps its pause.
    engine.pause = 0;
    engine.breakpointDuringRateChange = true;
    form.SetSimulationRate(100);
    EXPECT_EQ(engine.pause, 1);
}

TEST(SimulationControlWithoutEngine, CommandsDoNothingHarmfulBeforeTheFirstBind)
{
    twtest::ApplicationReady application;
    ASSERT_FALSE(MCULibLoaded);
    RecordingWindows windows;
    RunActions actions;
    TSimulationControl control(windows, actions.commands());
    control.tlbRunClick();
    control.tlbPauseClick();
    control.tlbStepClick();
    control.tlbStopClick();
    control.btnClearClick();
    control.ActionClearBPExecute();
    control.UpdateRunCommands(false);
    EXPECT_EQ(windows.assemblies, 0);
    EXPECT_FALSE(control.RefreshLoopActive());
    EXPECT_EQ(actions.pattern(), "0000");
}

TEST(SimulationNumberTexts, SpeedAndSeconds)
{
    EXPECT_EQ(SpeedFigureText(1'000'000, 4'000'000), "100 %");
    EXPECT_EQ(SpeedFigureText(2'000'000, 4'000'000), "200 %");
    EXPECT_EQ(SpeedFigureText(333'333, 4'000'000), "33.3333 %");
    EXPECT_EQ(SpeedFigureText(1, 3), "133.333333333333 %");
    EXPECT_EQ(SpeedFigureText(-5, 4'000'000), "0 %");
    EXPECT_EQ(SpeedFigureText(100, 0), "0 %");

    EXPECT_EQ(FixedSecondsText(4.0L), "4.0000000");
    EXPECT_EQ(FixedSecondsText(0.0L), "0.0000000");
    EXPECT_EQ(FixedSecondsText(-0.0L), "0.0000000");
    EXPECT_EQ(FixedSecondsText(0.00000004L), "0.0000000");
    EXPECT_EQ(FixedSecondsText(1.23456789L), "1.2345679");
    // Twelve significant digits, then seven decimals.
    EXPECT_EQ(FixedSecondsText(123456.123456789L), "123456.1234570");
    EXPECT_EQ(FixedSecondsText(12345678901.2345L), "12345678901.2000000");

    EXPECT_EQ(FixedSecondsText(SimulatedSeconds(4'000'000, 4'000'000)), "4.0000000");
    EXPECT_EQ(FixedSecondsText(SimulatedSeconds(4'000'000, 8'000'000)), "2.0000000");
    EXPECT_EQ(SimulatedSeconds(100, 3), 0.0L);
}

// ---- End to end against corvel.so

class CorvelRunTest : public testing::Test {
protected:
    void SetUp() override
    {
        handle_ = LoadSharedLibrary(QString::fromStdString((twtest::binDir() / "corvel.so").string()));
        ASSERT_NE(handle_, nullptr);
        QStringList missing;
        const TDllMCEntries entries = BindDllMCEntries(handle_, &missing);
        ASSERT_TRUE(missing.isEmpty());
        saved_ = DllMCEntries;
        DllMCEntries = entries;
        MCULibLoaded = true;
        DllMCEntries.SelectMC(6); // PIC12F508
    }
    void TearDown() override
    {
        if (!handle_)
            return;
        DllMCEntries.Stop_and_wait();
        DllMCEntries.Set_rtPause(0);
        DllMCEntries = saved_;
        MCULibLoaded = false;
        UnloadSharedLibrary(handle_);
    }

    // Writes `words` from address 0 into corvel's program memory, the rest
    // NOP, no breakpoints but those at `breakpoints`.
    void LoadProgram(const std::vector<std::uint16_t>& words, const std::vector<std::int32_t>& breakpoints = {})
    {
        const std::int32_t size = DllMCEntries.Get_ROM_Size();
        for (std::int32_t address = 0; address < size; ++address) {
            const std::uint16_t word = std::size_t(address) < words.size() ? words[std::size_t(address)] : 0;
            for (int bit = 0; bit < 12; ++bit)
                DllMCEntries.Set_ROM(address, bit, (word >> bit) & 1);
        }
        for (std::int32_t address = 0; address <= size; ++address)
            DllMCEntries.Set_ROM_BP(address, 0);
        for (std::int32_t address : breakpoints)
            DllMCEntries.Set_ROM_BP(address, 1);
    }

    void SetRate(const TSimulationRate& rate)
    {
        DllMCEntries.Set_RT_parametrs(rate.realTime, rate.stepByStep, rate.delay, rate.delayMs, rate.factor);
    }

    static std::size_t ThreadCount()
    {
        return std::size_t(std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
    }

    twtest::ApplicationReady application;
    RecordingWindows windows;
    RunActions actions;
    TSimulationControl control{windows, actions.commands()};

private:
    void* handle_ = nullptr;
    TDllMCEntries saved_;
};

// MOVLW 5; MOVWF 0x10; INCF 0x10,F; NOP; GOTO 3
const std::vector<std::uint16_t> FiveInstructions = {0xC05, 0x030, 0x2B0, 0x000, 0xA03};

TEST_F(CorvelRunTest, StepByStepRunsOneInstructionPerStep)
{
    windows.onAssemble = [&] { LoadProgram(FiveInstructions); };
    SetRate(SimulationRateOf(StepByStepRate));
    control.tlbRunClick();
    ASSERT_TRUE(WaitUntil([&] { return windows.refreshedAt.size() == 1; }));
    EXPECT_EQ(windows.refreshedAt.back(), 1) << "Run executes the first instruction";
    EXPECT_EQ(actions.pattern(), "0011");

    for (std::int64_t expected = 2; expected <= 5; ++expected) {
        control.tlbStepClick();
        ASSERT_TRUE(WaitUntil([&] { return windows.refreshedAt.size() == std::size_t(expected); }));
        EXPECT_EQ(windows.refreshedAt.back(), expected) << "each Step shows exactly one more";
    }
    RunEventsFor(50);
    EXPECT_EQ(DllMCEntries.Get_IC(), 5) << "nothing runs without a Step";
    EXPECT_EQ(DllMCEntries.Get_RAM(0x10, 0) | DllMCEntries.Get_RAM(0x10, 1) << 1 | DllMCEntries.Get_RAM(0x10, 2) << 2,
              6);

    control.tlbStopClick();
    ASSERT_TRUE(WaitUntil([&] { return !control.RefreshLoopActive(); }));
    control.UpdateRunCommands(true);
    EXPECT_EQ(actions.pattern(), "1000");
}

TEST_F(CorvelRunTest, ALineBreakpointAtRealTimePausesAtItsWordAndEnablesRun)
{
    windows.onAssemble = [&] { LoadProgram(FiveInstructions, {3}); };
    SetRate(SimulationRateOf(RealTimeRate));
    control.tlbRunClick();
    ASSERT_TRUE(WaitUntil([&] { return DllMCEntries.Get_rtPause() != 0 && actions.run.isEnabled(); }));
    EXPECT_EQ(DllMCEntries.Get_I(), 3);
    EXPECT_EQ(actions.pattern(), "1001");

    // Run resumes from the same state without assembling again.
    const std::int64_t before = DllMCEntries.Get_IC();
    control.tlbRunClick();
    EXPECT_EQ(windows.assemblies, 1);
    ASSERT_TRUE(WaitUntil([&] { return DllMCEntries.Get_rtPause() != 0 && DllMCEntries.Get_IC() > before; }));
    EXPECT_EQ(DllMCEntries.Get_I(), 3) << "the loop comes back to the breakpoint";
}

TEST_F(CorvelRunTest, StopThenRunAtOnceLeavesExactlyOneSimulationThread)
{
    windows.onAssemble = [&] { LoadProgram(FiveInstructions); };
    SetRate(SimulationRateOf(1)); // Very Slow: the thread sleeps 2000 ms per instruction
    const std::size_t idle = ThreadCount();
    control.tlbRunClick();
    control.tlbStopClick();
    control.tlbRunClick();
    EXPECT_EQ(windows.assemblies, 2);
    EXPECT_EQ(DllMCEntries.Get_rtRunning(), 1);
    RunEventsFor(30);
    EXPECT_EQ(ThreadCount(), idle + 1);
}

} // namespace

} // namespace simulation_control_test
