// Runs on the simulation thread: the handshake with the main program, the
// end of a run, the rule of one thread, and failures inside the thread.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "engine_support.h"
#include "run_thread_support.h"

using namespace enginetest;
namespace reg = corvel::reg;
using std::chrono::milliseconds;

namespace run_thread_test {
namespace {

// The main program's stop routine clears the running flag, as
// StopSimulation does; it may run on the simulation thread.
std::atomic<int> stopCalls{0};
std::atomic<corvel::Engine*> stoppedEngine{nullptr};
void stopSimulation()
{
    ++stopCalls;
    if (corvel::Engine* engine = stoppedEngine.load())
        engine->rtRunning.store(0);
}
void countStopOnly()
{
    ++stopCalls;
}

// Counts the simulation threads alive and ended: every thread that reads a
// pin holds one sentinel until it ends.
std::atomic<int> threadsAlive{0};
std::atomic<int> threadsEnded{0};
std::atomic<int> mostThreadsAlive{0};
struct ThreadSentinel {
    ThreadSentinel()
    {
        const int alive = ++threadsAlive;
        int most = mostThreadsAlive.load();
        while (alive > most && !mostThreadsAlive.compare_exchange_weak(most, alive)) {
        }
    }
    ~ThreadSentinel()
    {
        --threadsAlive;
        ++threadsEnded;
    }
    void touch() {}
};
thread_local ThreadSentinel sentinel;

// An engine for runs on a thread; the engine is declared last, so it ends
// its run before the clock and the chip device go.
struct ThreadRun : testing::Test {
    explicit ThreadRun(int model = corvel::kPic10F200)
    {
        stopCalls = 0;
        threadsAlive = 0;
        threadsEnded = 0;
        mostThreadsAlive = 0;
        engine.SelectMC(model);
        engine.setChipLink(&link);
        engine.setRunClock(&clock);
        stoppedEngine = &engine;
        // The reset pin is read on every pass.
        engine.Config[4] = 1;
        link.onRead = [this](int) {
            sentinel.touch();
            ++pinReads;
        };
        clock.onWait = [this](int64_t) {
            seenIC = engine.IC;
            seenI = engine.I;
            seenW = engine.RAM[reg::W];
        };
    }
    ~ThreadRun() override
    {
        engine.Stop_and_wait();
        stoppedEngine = nullptr;
    }

    // Waits until the thread has gone through `count` more waits.
    bool moreWaits(int count)
    {
        const int64_t from = clock.waits.load(std::memory_order_acquire);
        return eventually([&] { return clock.waits.load(std::memory_order_acquire) >= from + count; });
    }

    ScriptedLink link;
    ObservedClock clock;
    std::atomic<int> pinReads{0}; // at least one per pass
    // What the thread saw when it last began to wait.
    std::atomic<int64_t> seenIC{-1};
    std::atomic<int32_t> seenI{-1};
    std::atomic<int> seenW{-1};
    corvel::Engine engine;
};

TEST_F(ThreadRun, StepByStepNeedsAStepRequestAndAFinishedRefresh)
{
    engine.Set_RT_parametrs(0, 1, 0, 0, 1.0);
    for (int word = 0; word < 10; ++word)
        engine.ROM[size_t(word)] = op::MOVLW(word + 1);
    engine.Calculate_CuclPerCycMK(stopSimulation);
    ASSERT_TRUE(moreWaits(3));
    EXPECT_EQ(seenIC, 0) << "the run starts with a step request, but waits for the first refresh";

    engine.rtRefreshComplete = 1;
    ASSERT_TRUE(eventually([&] { return seenIC == 1; }));
    EXPECT_EQ(engine.rtRefreshComplete, 0);
    EXPECT_EQ(engine.rtexStep, 0);

    engine.rtRefreshComplete = 1;
    ASSERT_TRUE(moreWaits(3));
    EXPECT_EQ(seenIC, 1) << "a refresh alone is no step";
    engine.rtexStep = 1;
    ASSERT_TRUE(eventually([&] { return seenIC == 2; }));
    EXPECT_EQ(seenW, 1);

    engine.rtexStep = 1;
    ASSERT_TRUE(moreWaits(3));
    EXPECT_EQ(seenIC, 2) << "a step request alone waits for the refresh";
    engine.rtRefreshComplete = 1;
    ASSERT_TRUE(eventually([&] { return seenIC == 3; }));
    EXPECT_EQ(seenW, 2);
    EXPECT_EQ(seenI, 2);
}

TEST_F(ThreadRun, LineBreakpointPausesBeforeTheWordAndResumeRunsIt)
{
    engine.Set_RT_parametrs(0, 0, 0, 0, 1.0);
    engine.ROM[3] = op::MOVLW(0x33);
    engine.ROM[4] = op::GOTO(4);
    engine.ROM_BP[3] = 1;
    engine.Calculate_CuclPerCycMK(stopSimulation);
    ASSERT_TRUE(eventually([&] { return engine.rtPause == 1 && seenI == 3; }));
    EXPECT_EQ(seenIC, 4) << "words 255, 0, 1 and 2 ran";
    EXPECT_EQ(seenW, 0);
    ASSERT_TRUE(moreWaits(2));
    EXPECT_EQ(seenIC, 4) << "the pause holds";

    // The counters are published before each pin read, so the main
    // program sees the run go on (a pass may read more than one pin).
    engine.rtPause = 0;
    ASSERT_TRUE(eventually([&] { return engine.IC > 10; }));
    engine.Stop_and_wait();
    EXPECT_EQ(engine.RAM[reg::W], 0x33);
    EXPECT_EQ(engine.rtPause, 0) << "the marked word ran without pausing again";
    EXPECT_EQ(engine.I, 4);
    EXPECT_GT(engine.IC, 10);
    EXPECT_EQ(stopCalls, 0) << "a stop by the main program calls no stop routine";
}

// The main program reads where the run stands as soon as it sees a pause
// the run set itself: the counters and the change marks must already be
// those of the stop, not of the last batch before it. Watched without a
// sleep, over many runs, so that a pause set before the publication shows.
struct BreakpointCase {
    const char* name;
    void (*arm)(corvel::Engine&);
    friend void PrintTo(const BreakpointCase& c, std::ostream* out) { *out << c.name; }
};
class PauseSeenByTheMainProgram : public ThreadRun, public testing::WithParamInterface<BreakpointCase> {};

TEST_P(PauseSeenByTheMainProgram, ComesWithTheCountersOfTheStop)
{
    engine.Set_RT_parametrs(0, 0, 0, 0, 1.0);
    engine.ROM[0] = op::MOVLW(5);
    engine.ROM[1] = op::MOVWF(0x10);
    engine.ROM[2] = op::NOP();
    engine.ROM[3] = op::GOTO(3);
    GetParam().arm(engine);
    for (int round = 0; round < 200; ++round) {
        engine.Calculate_CuclPerCycMK(stopSimulation);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (engine.rtPause.load() != 1 && std::chrono::steady_clock::now() < deadline) {
        }
        ASSERT_EQ(engine.rtPause.load(), 1) << "no pause in round " << round;
        // Words 255, 0 and 1 ran; the pause is before word 2.
        const int32_t next = engine.I;
        const int64_t instructions = engine.IC;
        const bool marked = engine.MatrixRAM[0x10].delta;
        engine.Stop_and_wait();
        ASSERT_EQ(next, 2) << "round " << round;
        ASSERT_EQ(instructions, 3) << "round " << round;
        ASSERT_TRUE(marked) << "the write of 10h is not marked yet in round " << round;
        engine.rtPause = 0;
    }
}

INSTANTIATE_TEST_SUITE_P(Breakpoints, PauseSeenByTheMainProgram,
    testing::Values(BreakpointCase{"Line", [](corvel::Engine& e) { e.ROM_BP[2] = 1; }},
        BreakpointCase{"Register", [](corvel::Engine& e) { e.MatrixRAM[0x10].BreakPoint = true; }}),
    [](const testing::TestParamInfo<BreakpointCase>& info) { return std::string(info.param.name); });

TEST_F(ThreadRun, RunningPastTheEndTwiceCallsTheStopRoutineOnce)
{
    engine.Set_RT_parametrs(0, 0, 0, 0, 1.0);
    engine.Calculate_CuclPerCycMK(stopSimulation);
    ASSERT_TRUE(eventually([&] { return stopCalls == 1; }));
    engine.Stop_and_wait();
    EXPECT_EQ(stopCalls, 1);
    EXPECT_EQ(engine.rtRunning, 0);
    EXPECT_EQ(engine.IC, 257) << "word 255, then 0..255";
    EXPECT_EQ(engine.I, 255);
    EXPECT_EQ(engine.PC, 0x1FFu);
    EXPECT_EQ(threadsEnded, 1);
}

// Every wait of this clock lasts until a run flag changes (or 5 s): a
// stop that did not end the wait at once would take seconds.
class FlagOnlyClock : public corvel::RunClock {
public:
    int64_t now() override { return corvel::steadyRunClock().now(); }
    void wait(int64_t ticks, const corvel::RunSignal& signal, uint64_t seen) override
    {
        lastWait = ticks;
        ++waits;
        signal.waitFor(std::chrono::seconds(5), seen);
    }
    std::atomic<int64_t> lastWait{0};
    std::atomic<int> waits{0};
};

struct StopCase {
    const char* wait;
    uint8_t realTime, stepByStep, delay;
    int32_t delayMs;
    uint8_t pause;
    int64_t waitTicks; // the wait the thread stands in
};

void PrintTo(const StopCase& c, std::ostream* os)
{
    *os << c.wait;
}

class StopDuringAWait : public ThreadRun, public testing::WithParamInterface<StopCase> {};

TEST_P(StopDuringAWait, EndsTheRunAtOnce)
{
    const StopCase& c = GetParam();
    FlagOnlyClock flagClock;
    engine.setRunClock(&flagClock);
    engine.Set_RT_parametrs(c.realTime, c.stepByStep, c.delay, c.delayMs, 1.0);
    engine.rtPause = c.pause;
    engine.ROM[0] = op::GOTO(0);
    engine.Calculate_CuclPerCycMK(stopSimulation);
    ASSERT_TRUE(eventually([&] { return flagClock.waits >= 1; }));
    EXPECT_NEAR(double(flagClock.lastWait), double(c.waitTicks), double(c.waitTicks) / 100) << c.wait;
    const auto start = std::chrono::steady_clock::now();
    engine.Stop_and_wait();
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(2000)) << c.wait;
    EXPECT_EQ(stopCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(Waits, StopDuringAWait,
    testing::Values(StopCase{"Pause", 0, 0, 0, 0, 1, 10'000'000},
        StopCase{"StepRequest", 0, 1, 0, 0, 0, 10'000'000},
        StopCase{"FixedDelay", 0, 0, 1, 60'000, 0, 60'000'000'000},
        StopCase{"RefreshAfterTheDelay", 0, 0, 1, 0, 0, 1'000'000}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.wait); });

TEST_F(ThreadRun, PauseAndStepReactWithoutWaitingOutASleep)
{
    FlagOnlyClock flagClock;
    engine.setRunClock(&flagClock);
    engine.Set_RT_parametrs(0, 0, 1, 60'000, 1.0);
    engine.ROM[0] = op::GOTO(0);
    engine.Calculate_CuclPerCycMK(stopSimulation);
    ASSERT_TRUE(eventually([&] { return flagClock.waits >= 1; }));
    EXPECT_GT(flagClock.lastWait, 59'000'000'000);
    engine.rtPause = 1;
    ASSERT_TRUE(eventually([&] { return flagClock.lastWait == 10'000'000; }, milliseconds(2000)))
        << "a pause ends the delay";

    engine.rtPause = 0;
    engine.Set_RT_parametrs(0, 1, 0, 0, 1.0);
    const int waits = flagClock.waits;
    engine.rtexStep = 1;
    engine.rtRefreshComplete = 1;
    ASSERT_TRUE(eventually(
        [&] { return flagClock.waits > waits && engine.rtRefreshComplete == 0 && engine.rtexStep == 0; },
        milliseconds(2000)))
        << "a step request and a refresh end the step wait";
}

TEST_F(ThreadRun, AStartedRunFirstEndsAndJoinsThePrevious)
{
    engine.Set_RT_parametrs(0, 0, 0, 0, 1.0);
    engine.ROM[0] = op::GOTO(0); // never ends by itself
    engine.Calculate_CuclPerCycMK(stopSimulation);
    ASSERT_TRUE(eventually([&] { return threadsAlive == 1; }));
    engine.Calculate_CuclPerCycMK(stopSimulation);
    EXPECT_EQ(threadsEnded, 1) << "the first thread has ended before the second run starts";
    ASSERT_TRUE(eventually([&] { return threadsAlive == 1; }));
    engine.Stop_and_wait();
    EXPECT_EQ(threadsEnded, 2);
    EXPECT_EQ(mostThreadsAlive, 1);
    EXPECT_EQ(engine.rtRunning, 0);
    engine.Stop_and_wait();
    engine.Stop_and_wait();
}

TEST(RunThread, StopAndWaitWithoutARunReturns)
{
    corvel::Engine engine;
    engine.Stop_and_wait();
    engine.SelectMC(corvel::kPic10F200);
    engine.Stop_and_wait();
    EXPECT_EQ(engine.rtRunning, 0);
}

TEST(RunThread, AnEngineThatGoesEndsItsRun)
{
    threadsAlive = 0;
    threadsEnded = 0;
    ScriptedLink link;
    link.onRead = [](int) { sentinel.touch(); };
    {
        corvel::Engine engine;
        engine.SelectMC(corvel::kPic16F54); // its reset pin is always read
        engine.setChipLink(&link);
        engine.ROM[0] = op::GOTO(0);
        engine.Calculate_CuclPerCycMK(nullptr);
        ASSERT_TRUE(eventually([&] { return threadsAlive >= 1; }));
    }
    EXPECT_EQ(threadsEnded, 1);
}

TEST_F(ThreadRun, AFailureInsideTheThreadEndsTheRunCleanly)
{
    link.onRead = [](int) -> void { throw std::runtime_error("pin callback failed"); };
    engine.Set_RT_parametrs(0, 0, 0, 0, 1.0);
    engine.Calculate_CuclPerCycMK(countStopOnly);
    ASSERT_TRUE(eventually([&] { return stopCalls == 1; }));
    EXPECT_EQ(engine.rtRunning, 0) << "the engine clears the flag itself";
    engine.Stop_and_wait();
    EXPECT_EQ(stopCalls, 1);

    // The next run works.
    link.onRead = nullptr;
    engine.Calculate_CuclPerCycMK(countStopOnly);
    ASSERT_TRUE(eventually([&] { return stopCalls == 2; }));
    engine.Stop_and_wait();
    EXPECT_EQ(engine.IC, 257);
}

// The stop routine may stop on its own thread, but cannot start a run there:
// that would have to join the thread it runs on.
std::atomic<int> restartAttempts{0};
void restartFromTheThread()
{
    ++restartAttempts;
    if (corvel::Engine* engine = stoppedEngine.load()) {
        engine->Stop_and_wait();
        engine->Calculate_CuclPerCycMK(restartFromTheThread);
    }
}

TEST_F(ThreadRun, TheStopRoutineCannotStartARunOnTheSimulationThread)
{
    restartAttempts = 0;
    engine.Set_RT_parametrs(0, 0, 0, 0, 1.0);
    engine.Calculate_CuclPerCycMK(restartFromTheThread);
    ASSERT_TRUE(eventually([&] { return restartAttempts == 1 && threadsEnded == 1; }));
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(restartAttempts, 1);
    EXPECT_EQ(engine.rtRunning, 0);
}

struct CrystalCase {
    int32_t frequency;
    int32_t applied;      // crystalFrequency after the start
    int64_t cycleTicks;   // pacing.cycleTicks
};

TEST_F(ThreadRun, ACrystalBelowFourHertzKeepsThePreviousOne)
{
    const CrystalCase cases[] = {
        {4'000'000, 4'000'000, 1000},
        {3, 4'000'000, 1000},
        {20'000'000, 20'000'000, 200},
        {0, 20'000'000, 200},
        {-8, 20'000'000, 200},
        {4, 4, 1'000'000'000},
        {32768, 32768, 122070},
        {2, 32768, 122070},
    };
    engine.Set_RT_parametrs(0, 0, 0, 0, 1.0);
    engine.ROM[0] = op::GOTO(0);
    for (const CrystalCase& c : cases) {
        engine.crystalFrequency = c.frequency;
        engine.Calculate_CuclPerCycMK(stopSimulation);
        EXPECT_EQ(engine.crystalFrequency, c.applied) << c.frequency;
        EXPECT_EQ(engine.pacing.cycleTicks, c.cycleTicks) << c.frequency;
    }
}

// Runs started and stopped in a tight loop, some ending by themselves on
// their thread while the main program stops or restarts them: never two
// threads at once, every thread joined.
TEST_F(ThreadRun, StartsAndStopsInATightLoop)
{
    std::mt19937 random(1234);
    int started = 0;
    for (int round = 0; round < 300; ++round) {
        engine.Set_RT_parametrs(uint8_t(random() % 4 == 0), uint8_t(random() % 5 == 0), 0, 0,
            random() % 2 ? 1.0 : 2.0);
        engine.Calculate_CuclPerCycMK(stopSimulation);
        ++started;
        switch (random() % 5) {
        case 0:
            engine.Stop_and_wait();
            break;
        case 1:
            engine.rtPause = 1;
            engine.rtRunning = 0;
            break;
        case 2:
            engine.rtexStep = 1;
            engine.rtRefreshComplete = 1;
            break;
        case 3:
            std::this_thread::yield();
            break;
        default:
            break; // the next start stops this run
        }
        engine.rtPause = 0;
    }
    engine.Stop_and_wait();
    EXPECT_EQ(mostThreadsAlive, 1);
    EXPECT_EQ(threadsAlive, 0);
    EXPECT_LE(threadsEnded, started);
    EXPECT_LE(stopCalls, started);
}

} // namespace

} // namespace run_thread_test
